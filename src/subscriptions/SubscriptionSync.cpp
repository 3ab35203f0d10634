#include "SubscriptionSync.h"

#include "CertificateTrust.h"
#include "CredentialScope.h"
#include "Multistatus.h"
#include "calendar/IcsWorker.h"
#include "platform/SafeFiles.h"

#include <QAuthenticator>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSslError>
#include <QThreadPool>
#include <QTimeZone>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <optional>

namespace tanzo {
namespace {

const QString kNoAnswer = QStringLiteral("サーバーが応答しませんでした");

// "20270315T000000Z": the start of a local day as CalDAV's UTC form.
QString utcStamp(const QDate& day) {
    return QDateTime(day, QTime(0, 0)).toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

} // namespace

SubscriptionSync::SubscriptionSync(Subscription subscription, QString password,
                                   SubscriptionCopy previous, QDate today,
                                   QNetworkAccessManager& network, QObject* parent)
    : SyncJob(parent), m_subscription(std::move(subscription)), m_password(std::move(password)),
      m_previous(std::move(previous)), m_today(today), m_network(network) {
    // A copy made for other days holds other occurrences: everything is
    // fetched and converted again.
    m_sameWindow = m_previous.windowStart == m_today;
    m_probingKind =
        m_subscription.kind == Subscription::Kind::CalDav && !m_previous.lastAttempt.isValid();
    connect(&m_network, &QNetworkAccessManager::authenticationRequired, this,
            &SubscriptionSync::offerCredentials, Qt::DirectConnection);
}

SubscriptionSync::~SubscriptionSync() {
    if (m_reply)
        m_reply->abort();
}

void SubscriptionSync::start() {
    m_deadline = new QTimer(this);
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("同期が時間内に終わりませんでした。")); });
    m_deadline->start(kSyncTimeoutMs);
    if (m_subscription.url.isLocalFile())
        readLocalFile();
    else if (m_subscription.kind == Subscription::Kind::Feed)
        fetchFeed();
    else
        askCollection();
}

void SubscriptionSync::cancel() {
    fail(QStringLiteral("同期を中止しました。"));
}

void SubscriptionSync::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                            int depth, ReplyHandler onOk) {
    QNetworkRequest request(url);
    request.setTransferTimeout(kRequestTimeoutMs);
    // Every hop is judged here (followRedirect): the toolkit would carry
    // the request's headers to wherever the server points.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tanzo"));
    // No Authorization of our own: the password goes out only when the
    // subscribed origin asks for it (offerCredentials), in the scheme it
    // asks for, Basic or Digest.
    if (depth >= 0)
        request.setRawHeader("Depth", QByteArray::number(depth));
    if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QStringLiteral("application/xml; charset=utf-8"));
    if (verb == "GET" && m_sameWindow) {
        const RemoteResource old = m_previous.resources.value(url.toString());
        if (!old.etag.isEmpty())
            request.setRawHeader("If-None-Match", old.etag.toUtf8());
        if (!old.lastModified.isEmpty())
            request.setRawHeader("If-Modified-Since", old.lastModified.toUtf8());
    }
    QNetworkReply* reply =
        verb == "GET" ? m_network.get(request) : m_network.sendCustomRequest(request, verb, body);
    m_reply = reply;
    m_tooLarge = false;
    m_credentialsOffered = false;
    m_refusedRedirect.clear();
    checkCertificateAgainst(reply, m_subscription.trustedCertificate, &m_untrustedCertificate);
    connect(reply, &QNetworkReply::redirected, this,
            [this, reply](const QUrl& to) { followRedirect(reply, to); });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > kMaxAnswerBytes) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, onOk = std::move(onOk)] {
        reply->deleteLater();
        if (m_done)
            return;
        const int http = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        // No WebDAV here (405 Method Not Allowed, 501, or a page instead of
        // a multistatus): a published calendar without ".ics" in its name.
        if (m_probingKind && (http == 400 || http == 405 || http == 501)) {
            fetchAsFeedInstead();
            return;
        }
        const QString problem = replyProblem(reply, http);
        if (!problem.isEmpty()) {
            fail(problem);
            return;
        }
        onOk(reply, reply->readAll());
    });
}

void SubscriptionSync::followRedirect(QNetworkReply* reply, const QUrl& to) {
    // Judged against the subscribed address, not the hop before: a chain
    // that wanders off and back has still been elsewhere.
    m_refusedRedirect = redirectRefusal(m_subscription.url, reply->url().resolved(to),
                                        !m_subscription.user.isEmpty());
    if (m_refusedRedirect.isEmpty())
        emit reply->redirectAllowed();
    else
        reply->abort();
}

void SubscriptionSync::offerCredentials(QNetworkReply* reply, QAuthenticator* authenticator) {
    if (reply == m_reply)
        offerCredentialsOnce(authenticator, reply->url(), m_subscription.url, m_subscription.user,
                             m_password, m_credentialsOffered);
}

QString SubscriptionSync::replyProblem(QNetworkReply* reply, int http) const {
    if (m_tooLarge)
        return QStringLiteral("サーバーの応答が大きすぎます（上限 %1 MB）。")
            .arg(kMaxAnswerBytes / (1024 * 1024));
    if (!m_refusedRedirect.isEmpty())
        return m_refusedRedirect;
    // A redirect the toolkit would not follow itself (to a scheme it does
    // not speak) leaves its 3xx here, with no body to read.
    if (http >= 300 && http < 400 && http != 304) {
        const QUrl to = reply->url().resolved(
            QUrl(QString::fromUtf8(reply->rawHeader("Location")), QUrl::StrictMode));
        const QString refusal =
            redirectRefusal(m_subscription.url, to, !m_subscription.user.isEmpty());
        return refusal.isEmpty() ? QStringLiteral("転送先へ進めませんでした（%1）: %2")
                                       .arg(http)
                                       .arg(maskedAddress(to))
                                 : refusal;
    }
    if (reply->error() == QNetworkReply::TooManyRedirectsError)
        return QStringLiteral("転送が多すぎます（%1回まで）。").arg(kMaxRedirects);
    if (http == 401 && m_subscription.user.isEmpty())
        return QStringLiteral("このカレンダーには利用者名とパスワードが要ります（401）。");
    if (http == 401 && !m_credentialsOffered && reply->hasRawHeader("WWW-Authenticate"))
        return QStringLiteral("サーバーが求める認証の方式に対応していません（401）: %1")
            .arg(QString::fromLatin1(reply->rawHeader("WWW-Authenticate")).left(80));
    if (http == 401)
        return QStringLiteral("利用者名かパスワードが違います（401）。");
    if (http == 403)
        return QStringLiteral("このカレンダーを読むことが許されていません（403）。");
    if (http == 404)
        return QStringLiteral("カレンダーが見つかりません（404）。");
    if (http >= 500)
        return QStringLiteral("サーバーでエラーが起きました（%1）。").arg(http);
    switch (reply->error()) {
    case QNetworkReply::NoError:
        return http >= 400
                   ? QStringLiteral("サーバーが要求を受け付けませんでした（%1）。").arg(http)
                   : QString();
    case QNetworkReply::SslHandshakeFailedError:
        return untrustedCertificateText(m_untrustedCertificate, m_subscription.trustedCertificate,
                                        reply->errorString());
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return kNoAnswer + QStringLiteral("（時間切れ）。");
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return kNoAnswer + QStringLiteral("（%1）。").arg(reply->errorString());
    default:
        return http >= 400 || http == 0
                   ? kNoAnswer + QStringLiteral("（%1）。").arg(reply->errorString())
                   : QString();
    }
}

void SubscriptionSync::readLocalFile() {
    const QString path = m_subscription.url.toLocalFile();
    const QFileInfo info(path);
    if (!info.exists()) {
        fail(QStringLiteral("ファイルがありません: %1").arg(path));
        return;
    }
    if (!info.isFile()) {
        fail(notRegularFileText(path));
        return;
    }
    if (info.size() > kMaxAnswerBytes) {
        fail(QStringLiteral("ファイルが大きすぎます（上限 %1 MB）。")
                 .arg(kMaxAnswerBytes / (1024 * 1024)));
        return;
    }
    const QString stamp = info.lastModified().toUTC().toString(Qt::ISODate);
    const QString key = m_subscription.url.toString();
    if (m_sameWindow && m_previous.ok && m_previous.resources.value(key).lastModified == stamp) {
        succeed(m_previous, false);
        return;
    }
    m_fetchedEtags.insert(key, QString());
    m_etags.insert(key, stamp);
    // Read on the worker too: a file on a slow mount must not hold the clock.
    using Read = std::pair<RegularFileRead, QByteArray>;
    auto* watcher = new QFutureWatcher<Read>(this);
    connect(watcher, &QFutureWatcher<Read>::finished, this, [this, watcher, key, path] {
        watcher->deleteLater();
        if (m_done)
            return;
        const auto [read, bytes] = watcher->result();
        switch (read) {
        case RegularFileRead::Read:
            convert({{key, bytes}});
            return;
        case RegularFileRead::Missing:
            fail(QStringLiteral("ファイルがありません: %1").arg(path));
            return;
        case RegularFileRead::NotRegular:
            fail(notRegularFileText(path));
            return;
        case RegularFileRead::TooLarge:
            fail(QStringLiteral("ファイルが大きすぎます（上限 %1 MB）。")
                     .arg(kMaxAnswerBytes / (1024 * 1024)));
            return;
        case RegularFileRead::Failed:
            fail(QStringLiteral("ファイルを読めません: %1").arg(path));
            return;
        }
    });
    // Only a regular file: a FIFO put in its place would hold the worker.
    watcher->setFuture(QtConcurrent::run(&ics::worker(), [path]() -> Read {
        QByteArray bytes;
        const RegularFileRead read = readRegularFile(path, kMaxAnswerBytes, &bytes);
        return {read, bytes};
    }));
}

void SubscriptionSync::fetchFeed() {
    send("GET", m_subscription.url, {}, -1, [this](QNetworkReply* reply, const QByteArray& body) {
        const int http = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (http == 304) {
            succeed(m_previous, false);
            return;
        }
        const QString key = m_subscription.url.toString();
        m_fetchedEtags.insert(key, QString::fromUtf8(reply->rawHeader("ETag")));
        m_etags.insert(key, QString::fromUtf8(reply->rawHeader("Last-Modified")));
        convert({{key, body}});
    });
}

void SubscriptionSync::fetchAsFeedInstead() {
    m_probingKind = false;
    m_subscription.kind = Subscription::Kind::Feed;
    fetchFeed();
}

void SubscriptionSync::askCollection() {
    send("PROPFIND", m_subscription.url, propfindCollectionBody(), 0,
         [this](QNetworkReply*, const QByteArray& body) {
             const auto responses = parseMultistatus(body, 16);
             if (!responses && m_probingKind) {
                 fetchAsFeedInstead();
                 return;
             }
             if (!responses) {
                 fail(QStringLiteral("サーバーの応答を読めませんでした（PROPFIND）。"));
                 return;
             }
             const CollectionFacts facts = collectionFacts(*responses);
             m_collectionTag = facts.tag;
             if (!facts.isCalendar) {
                 fail(QStringLiteral("このURLはCalDAVのカレンダーではありません。"));
                 return;
             }
             if (m_sameWindow && m_previous.ok && !m_collectionTag.isEmpty() &&
                 m_collectionTag == m_previous.collectionTag) {
                 succeed(m_previous, false);
                 return;
             }
             queryEvents();
         });
}

void SubscriptionSync::queryEvents() {
    const QByteArray body = calendarQueryBody(utcStamp(m_today), utcStamp(m_today.addDays(7)));
    send("REPORT", m_subscription.url, body, 1, [this](QNetworkReply*, const QByteArray& answer) {
        const auto responses = parseMultistatus(answer, kMaxResources);
        if (!responses) {
            fail(QStringLiteral(
                "サーバーの応答を読めませんでした（件数が多すぎるか、形が違います）。"));
            return;
        }
        const QString collection = m_subscription.url.path();
        for (const DavResponse& r : *responses) {
            if (r.status != 200 || r.href == collection || r.href.endsWith(QLatin1Char('/')))
                continue;
            m_etags.insert(r.href, r.etag);
            const auto old = m_previous.resources.constFind(r.href);
            if (!m_sameWindow || old == m_previous.resources.cend() || old->etag != r.etag ||
                r.etag.isEmpty())
                m_toFetch.push_back(r.href);
        }
        fetchChanged();
    });
}

void SubscriptionSync::fetchChanged() {
    if (m_toFetch.empty()) {
        convert(std::move(m_fetched));
        return;
    }
    const auto count = std::min<size_t>(m_toFetch.size(), kMultigetBatch);
    std::vector<QString> batch(m_toFetch.begin(), m_toFetch.begin() + long(count));
    m_toFetch.erase(m_toFetch.begin(), m_toFetch.begin() + long(count));
    send("REPORT", m_subscription.url, calendarMultigetBody(batch), 1,
         [this](QNetworkReply*, const QByteArray& answer) {
             const auto responses = parseMultistatus(answer, kMultigetBatch);
             if (!responses) {
                 fail(QStringLiteral("サーバーの応答を読めませんでした（calendar-multiget）。"));
                 return;
             }
             for (const DavResponse& r : *responses) {
                 // Gone between the two questions: it leaves the copy.
                 if (r.status != 200) {
                     m_etags.remove(r.href);
                     continue;
                 }
                 m_fetched.emplace_back(r.href, r.calendarData);
                 m_fetchedEtags.insert(r.href, r.etag);
             }
             fetchChanged();
         });
}

void SubscriptionSync::convert(std::vector<std::pair<QString, QByteArray>> fetched) {
    auto* watcher = new QFutureWatcher<ConvertedResources>(this);
    connect(watcher, &QFutureWatcher<ConvertedResources>::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (m_done)
            return;
        const ConvertedResources converted = watcher->result();
        const bool feed =
            m_subscription.kind == Subscription::Kind::Feed || m_subscription.url.isLocalFile();
        if (feed && !converted.anyCalendar) {
            fail(QStringLiteral("iCalendarの形式ではありません。"));
            return;
        }
        SubscriptionCopy copy;
        copy.windowStart = m_today;
        copy.collectionTag = m_collectionTag;
        // Every resource still in the seven days: fetched now, or unchanged
        // and taken from the previous copy. The rest was deleted, moved out
        // of the days, or cancelled.
        for (auto it = m_etags.cbegin(); it != m_etags.cend(); ++it) {
            RemoteResource r;
            if (converted.byResource.contains(it.key())) {
                r = converted.byResource.value(it.key());
                r.etag = m_fetchedEtags.value(it.key());
                if (feed)
                    r.lastModified = it.value();
            } else if (m_previous.resources.contains(it.key()) && m_sameWindow) {
                r = m_previous.resources.value(it.key());
            } else {
                continue;
            }
            copy.resources.insert(it.key(), r);
        }
        // The cap keeps the soonest of all the resources together.
        keepSoonest(copy.resources, kMaxSubscribedEntries);
        const bool changed = copy.allEntries().size() != m_previous.allEntries().size() ||
                             copy.toJson().value(QStringLiteral("resources")) !=
                                 m_previous.toJson().value(QStringLiteral("resources"));
        succeed(copy, changed);
    });
    watcher->setFuture(
        QtConcurrent::run(&ics::worker(), convertResources, std::move(fetched), m_today));
}

void SubscriptionSync::fail(const QString& status) {
    if (m_done)
        return;
    m_done = true;
    if (m_reply)
        m_reply->abort();
    SyncResult result;
    result.ok = false;
    result.status = status;
    result.copy = m_previous;
    result.kind = m_subscription.kind;
    result.untrustedCertificate = m_untrustedCertificate;
    emit finished(result);
    deleteLater();
}

void SubscriptionSync::succeed(SubscriptionCopy copy, bool changed) {
    if (m_done)
        return;
    m_done = true;
    SyncResult result;
    result.ok = true;
    result.changed = changed;
    result.copy = std::move(copy);
    result.kind = m_subscription.kind;
    emit finished(result);
    deleteLater();
}

} // namespace tanzo
