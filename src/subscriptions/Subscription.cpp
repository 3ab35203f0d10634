#include "Subscription.h"

#include "Fingerprint.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrlQuery>

namespace tanzo {
namespace {

bool isLocalHost(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    // The loopback addresses as a URL spells them (QUrl has already
    // expanded IPv4 shorthand): 127.0.0.0/8, also IPv4-mapped, and ::1.
    // Text, so that reading the list needs no network library.
    QString h = host.toLower();
    if (h.startsWith(QLatin1String("::ffff:")))
        h.remove(0, 7);
    static const QRegularExpression kLoopback4(
        QStringLiteral("^127\\.\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}$"));
    static const QRegularExpression kLoopback6(QStringLiteral("^[0:]*:0*1$"));
    return kLoopback4.match(h).hasMatch() || kLoopback6.match(h).hasMatch();
}

QString kindWord(Subscription::Kind kind) {
    return kind == Subscription::Kind::CalDav ? QStringLiteral("caldav") : QStringLiteral("feed");
}

std::optional<Subscription> parseAddress(const QString& address, QString* error,
                                         bool fileMustExist) {
    const QString text = address.trimmed();
    if (text.isEmpty() || text.size() > 2000) {
        *error = QStringLiteral("購読するカレンダーのURLかファイルを指定してください。");
        return std::nullopt;
    }
    QUrl url = text.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(text)
                                                 : QUrl(text, QUrl::StrictMode);
    // webcal:// is only ever a published calendar, fetched over https.
    const bool webcal =
        url.scheme() == QLatin1String("webcal") || url.scheme() == QLatin1String("webcals");
    if (webcal)
        url.setScheme(QStringLiteral("https"));
    Subscription s;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file")) {
        const QFileInfo file(url.toLocalFile());
        if (url.toLocalFile().isEmpty() || (fileMustExist && !file.exists())) {
            *error = QStringLiteral("ファイルがありません: %1").arg(url.toLocalFile());
            return std::nullopt;
        }
        if (fileMustExist && !file.isFile()) {
            *error = notRegularFileText(url.toLocalFile());
            return std::nullopt;
        }
        s.url = url;
        s.kind = Subscription::Kind::Feed;
        return s;
    }
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        *error = QStringLiteral(
                     "https://、webcal://、またはローカルの.icsファイルを指定してください: %1")
                     .arg(url.isValid() ? maskedAddress(url) : QStringLiteral("（読めないURL）"));
        return std::nullopt;
    }
    if (scheme == QLatin1String("http") && !isLocalHost(url.host())) {
        *error = QStringLiteral(
            "暗号化されない http:// は、このコンピューター上のサーバーにだけ使えます。"
            "https:// を指定してください。");
        return std::nullopt;
    }
    if (!url.userInfo().isEmpty()) {
        *error =
            QStringLiteral("URLに利用者名やパスワードを含めないでください。--user を使います。");
        return std::nullopt;
    }
    s.url = url;
    s.kind = webcal || url.path().endsWith(QLatin1String(".ics"), Qt::CaseInsensitive)
                 ? Subscription::Kind::Feed
                 : Subscription::Kind::CalDav;
    return s;
}

} // namespace

QJsonObject Subscription::toJson() const {
    return {{QStringLiteral("name"), name},
            {QStringLiteral("url"), url.toString(QUrl::FullyEncoded)},
            {QStringLiteral("kind"), kindWord(kind)},
            {QStringLiteral("refreshMinutes"), refreshMinutes},
            {QStringLiteral("user"), user},
            {QStringLiteral("trustedCertificate"), trustedCertificate}};
}

std::optional<Subscription> Subscription::fromJson(const QJsonObject& json) {
    QString error;
    // A local file that is gone stays subscribed: its sync says so.
    auto s = parseAddress(json.value(QStringLiteral("url")).toString(), &error, false);
    const QString name = json.value(QStringLiteral("name")).toString();
    if (!s || !isUsableSubscriptionName(name))
        return std::nullopt;
    s->name = name;
    const QString kind = json.value(QStringLiteral("kind")).toString();
    if (kind == kindWord(Kind::CalDav) && s->url.scheme() != QLatin1String("file"))
        s->kind = Kind::CalDav;
    else if (kind == kindWord(Kind::Feed))
        s->kind = Kind::Feed;
    const int minutes = json.value(QStringLiteral("refreshMinutes")).toInt(kDefaultRefreshMinutes);
    s->refreshMinutes = std::clamp(minutes, kMinRefreshMinutes, kMaxRefreshMinutes);
    s->user = json.value(QStringLiteral("user")).toString().left(256);
    s->trustedCertificate =
        fingerprintFromText(json.value(QStringLiteral("trustedCertificate")).toString())
            .value_or(QString());
    return s;
}

std::optional<Subscription> subscriptionFromAddress(const QString& address, QString* error) {
    return parseAddress(address, error, true);
}

bool sameAddress(const QUrl& a, const QUrl& b) {
    const auto key = [](const QUrl& url) {
        if (url.isLocalFile()) {
            const QFileInfo file(url.toLocalFile());
            const QString canonical = file.canonicalFilePath();
            return QStringLiteral("file:") +
                   (canonical.isEmpty() ? QDir::cleanPath(file.absoluteFilePath()) : canonical);
        }
        QUrl u = url.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments |
                              QUrl::RemoveFragment);
        u.setScheme(u.scheme().toLower());
        if ((u.scheme() == QLatin1String("https") && u.port() == 443) ||
            (u.scheme() == QLatin1String("http") && u.port() == 80))
            u.setPort(-1);
        return u.toString(QUrl::FullyEncoded);
    };
    return key(a) == key(b);
}

QString notRegularFileText(const QString& path) {
    return QStringLiteral("通常のファイルではありません（パイプや装置は読みません）: %1").arg(path);
}

QString maskedAddress(const QUrl& url) {
    if (url.isLocalFile())
        return url.toLocalFile();
    QUrl shown = url;
    const QString hidden = QStringLiteral("***");
    if (!shown.password().isEmpty())
        shown.setPassword(hidden);
    if (shown.hasQuery()) {
        QUrlQuery query(shown);
        auto items = query.queryItems(QUrl::FullyEncoded);
        for (auto& [key, value] : items) {
            // "?k3yx" alone is as secret as "?token=k3yx".
            (value.isEmpty() ? key : value) = hidden;
        }
        query.setQueryItems(items);
        shown.setQuery(query);
    }
    // The fragment never reaches the server, but is as likely to hold a key.
    if (shown.hasFragment())
        shown.setFragment(hidden);
    return shown.toDisplayString();
}

QString defaultSubscriptionName(const QUrl& url) {
    if (url.isLocalFile())
        return QFileInfo(url.toLocalFile()).completeBaseName().left(kMaxSubscriptionNameLength);
    const QString last = url.path().section(QLatin1Char('/'), -2, -1, QString::SectionSkipEmpty);
    const QString base = last.isEmpty() ? url.host() : last.section(QLatin1Char('/'), -1);
    return QString(base).remove(QLatin1String(".ics")).left(kMaxSubscriptionNameLength);
}

bool isUsableSubscriptionName(const QString& name) {
    if (name.trimmed().isEmpty() || name.size() > kMaxSubscriptionNameLength)
        return false;
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c == QLatin1Char('/'))
            return false;
    }
    return true;
}

} // namespace tanzo
