#include "CalendarDiscovery.h"

#include "CertificateTrust.h"
#include "CredentialScope.h"
#include "Subscription.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace tanzo {
namespace {

constexpr int kMaxResponses = 2 * kMaxFoundCalendars;

QString samePath(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// A server's href is a path (or, rarely, a whole URL) that may be
// percent-decoded already: taken as the path of the asked address.
QUrl resolvedHref(const QUrl& asked, const QString& href) {
    if (href.startsWith(QLatin1String("http://")) || href.startsWith(QLatin1String("https://")))
        return QUrl(href);
    QUrl url = asked;
    url.setQuery(QString());
    url.setFragment(QString());
    url.setPath(href.startsWith(QLatin1Char('/')) ? href : samePath(asked.path()) + href,
                QUrl::DecodedMode);
    return url;
}

bool holdsEvents(const DavResponse& r) {
    return r.isCalendar &&
           (r.components.isEmpty() || r.components.contains(QLatin1String("VEVENT")));
}

FoundCalendar found(const DavResponse& r, const QUrl& asked) {
    FoundCalendar c;
    c.url = resolvedHref(asked, r.href);
    c.name = r.displayName.isEmpty()
                 ? r.href.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty)
                 : r.displayName;
    c.color = r.color;
    return c;
}

const DavResponse* responseFor(const std::vector<DavResponse>& responses, const QUrl& asked) {
    for (const DavResponse& r : responses) {
        if (samePath(r.href) == samePath(asked.path()))
            return &r;
    }
    // A server that answers for another path than was asked (after a
    // redirect it does not tell of): its only answer is the one.
    return responses.size() == 1 ? &responses.front() : nullptr;
}

} // namespace

DiscoveryStep stepFromProperties(const std::vector<DavResponse>& responses, const QUrl& asked) {
    DiscoveryStep step;
    const DavResponse* r = responseFor(responses, asked);
    if (!r)
        return step;
    if (r->isCalendar) {
        step.kind = DiscoveryStep::Kind::Done;
        if (holdsEvents(*r))
            step.calendars.push_back(found(*r, asked));
        return step;
    }
    if (!r->calendarHome.isEmpty()) {
        step.kind = DiscoveryStep::Kind::ListHome;
        step.next = resolvedHref(asked, r->calendarHome);
    } else if (!r->principal.isEmpty() && samePath(r->principal) != samePath(asked.path())) {
        step.kind = DiscoveryStep::Kind::AskPrincipal;
        step.next = resolvedHref(asked, r->principal);
    } else {
        // A collection without either, perhaps a calendar home itself.
        step.kind = DiscoveryStep::Kind::ListHome;
        step.next = asked;
    }
    return step;
}

std::vector<FoundCalendar> calendarsInHome(const std::vector<DavResponse>& responses,
                                           const QUrl& home) {
    std::vector<FoundCalendar> calendars;
    for (const DavResponse& r : responses) {
        if (r.status != 200 || !holdsEvents(r) || samePath(r.href) == samePath(home.path()))
            continue;
        if (calendars.size() >= size_t(kMaxFoundCalendars))
            break;
        calendars.push_back(found(r, home));
    }
    return calendars;
}

CalendarDiscovery::CalendarDiscovery(QUrl start, QString user, QString password,
                                     QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), m_start(std::move(start)), m_user(std::move(user)),
      m_password(std::move(password)), m_network(network) {
    connect(&m_network, &QNetworkAccessManager::authenticationRequired, this,
            &CalendarDiscovery::offerCredentials, Qt::DirectConnection);
}

CalendarDiscovery::~CalendarDiscovery() {
    if (m_reply)
        m_reply->abort();
}

void CalendarDiscovery::start() {
    m_deadline = new QTimer(this);
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("カレンダーを探し終えられませんでした（時間切れ）。")); });
    m_deadline->start(kTimeoutMs);
    // Only a server's own address goes by the well-known one: any deeper
    // address is already the user's principal, home or a calendar.
    if (m_start.path().isEmpty() || m_start.path() == QLatin1String("/")) {
        QUrl wellKnown = m_start;
        wellKnown.setPath(QStringLiteral("/.well-known/caldav"));
        ask(wellKnown, Ask::WellKnown);
    } else {
        ask(m_start, Ask::Properties);
    }
}

void CalendarDiscovery::cancel() {
    fail(QStringLiteral("カレンダーを探すのを中止しました。"));
}

void CalendarDiscovery::ask(const QUrl& url, Ask what) {
    if (++m_steps > kMaxSteps) {
        fail(QStringLiteral("カレンダーが見つかるまでの段階が多すぎます（%1回まで）。")
                 .arg(kMaxSteps));
        return;
    }
    if (!m_user.isEmpty() && !sameOrigin(url, m_start)) {
        fail(QStringLiteral("パスワードを別のサーバーに渡さないよう、先へは進みませんでした: %1")
                 .arg(maskedAddress(url)));
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(kRequestTimeoutMs);
    // Redirects are followed here, each as a step of its own: the toolkit
    // would send a PROPFIND on without its body (the well-known address
    // is always a redirect), and each target is judged before the password
    // may go there.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tanzo"));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/xml; charset=utf-8"));
    request.setRawHeader("Depth", what == Ask::Home ? "1" : "0");
    QNetworkReply* reply =
        m_network.sendCustomRequest(request, "PROPFIND", propfindDiscoveryBody());
    m_reply = reply;
    m_tooLarge = false;
    m_credentialsOffered = false;
    checkCertificateAgainst(reply, m_trusted, &m_untrusted);
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > kMaxAnswerBytes) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, what] {
        reply->deleteLater();
        if (!m_done)
            answered(reply, what);
    });
}

void CalendarDiscovery::answered(QNetworkReply* reply, Ask what) {
    const int http = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (followedRedirect(reply, http, what))
        return;
    if (m_tooLarge) {
        fail(QStringLiteral("サーバーの応答が大きすぎます（上限 %1 MB）。")
                 .arg(kMaxAnswerBytes / (1024 * 1024)));
        return;
    }
    const auto responses =
        http == 207 ? parseMultistatus(reply->readAll(), kMaxResponses) : std::nullopt;
    // No well-known address here: the server's root may answer itself.
    if (what == Ask::WellKnown && !responses && http != 401 && http != 403 && http != 0) {
        ask(m_start, Ask::Properties);
        return;
    }
    if (const QString problem = answerProblem(reply, http, responses.has_value());
        !problem.isEmpty()) {
        fail(problem);
        return;
    }
    // Hrefs are relative to where the answer came from, after redirects.
    takeStep(*responses, reply->url(), what);
}

bool CalendarDiscovery::followedRedirect(QNetworkReply* reply, int http, Ask what) {
    if (http < 300 || http >= 400 || !reply->hasRawHeader("Location"))
        return false;
    const QUrl to = reply->url().resolved(
        QUrl(QString::fromUtf8(reply->rawHeader("Location")), QUrl::StrictMode));
    if (const QString refusal = redirectRefusal(m_start, to, !m_user.isEmpty());
        !refusal.isEmpty()) {
        fail(refusal);
        return true;
    }
    ask(to.adjusted(QUrl::RemoveUserInfo), what == Ask::WellKnown ? Ask::Properties : what);
    return true;
}

QString CalendarDiscovery::answerProblem(QNetworkReply* reply, int http, bool multistatus) const {
    if (http == 401)
        return m_user.isEmpty()
                   ? QStringLiteral("このサーバーには利用者名とパスワードが要ります（401）。")
                   : QStringLiteral("利用者名かパスワードが違います（401）。");
    if (http == 403)
        return QStringLiteral("カレンダーを探すことが許されていません（403）。");
    if (reply->error() == QNetworkReply::SslHandshakeFailedError)
        return untrustedCertificateText(m_untrusted, m_trusted, reply->errorString());
    if (http == 0)
        return QStringLiteral("サーバーが応答しませんでした（%1）。").arg(reply->errorString());
    if (!multistatus)
        return QStringLiteral("このURLはCalDAVのサーバーではありません（%1）。").arg(http);
    return {};
}

void CalendarDiscovery::takeStep(const std::vector<DavResponse>& responses, const QUrl& asked,
                                 Ask what) {
    if (what == Ask::Home) {
        DiscoveryResult result;
        result.ok = true;
        result.calendars = calendarsInHome(responses, asked);
        if (result.calendars.empty())
            return fail(QStringLiteral("予定を入れられるカレンダーが見つかりませんでした。"));
        finish(std::move(result));
        return;
    }
    const DiscoveryStep step = stepFromProperties(responses, asked);
    switch (step.kind) {
    case DiscoveryStep::Kind::Done:
        if (step.calendars.empty())
            return fail(QStringLiteral("このカレンダーには予定（VEVENT）が入りません。"));
        finish({true, {}, step.calendars, {}});
        return;
    case DiscoveryStep::Kind::AskPrincipal:
        ask(step.next, Ask::Properties);
        return;
    case DiscoveryStep::Kind::ListHome:
        ask(step.next, Ask::Home);
        return;
    case DiscoveryStep::Kind::NothingHere:
        fail(QStringLiteral("このURLはCalDAVのサーバーではありません。"));
        return;
    }
}

void CalendarDiscovery::offerCredentials(QNetworkReply* reply, QAuthenticator* authenticator) {
    if (reply == m_reply)
        offerCredentialsOnce(authenticator, reply->url(), m_start, m_user, m_password,
                             m_credentialsOffered);
}

void CalendarDiscovery::finish(DiscoveryResult result) {
    if (m_done)
        return;
    m_done = true;
    if (m_reply)
        m_reply->abort();
    emit finished(result);
    deleteLater();
}

void CalendarDiscovery::fail(const QString& problem) {
    finish({false, problem, {}, m_untrusted});
}

} // namespace tanzo
