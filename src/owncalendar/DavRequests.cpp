#include "DavRequests.h"

#include "subscriptions/CertificateTrust.h"
#include "subscriptions/CredentialScope.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace tanzo {
namespace {
const QString kNoAnswer = QStringLiteral("サーバーが応答しませんでした");
constexpr int kMaxRedirects = 5;
} // namespace

DavRequests::DavRequests(QUrl collection, QString user, QString password,
                         QString trustedCertificate, QObject* parent)
    : QObject(parent), m_collection(std::move(collection)), m_user(std::move(user)),
      m_password(std::move(password)), m_trusted(std::move(trustedCertificate)),
      // A network of its own: the toolkit would offer credentials a server
      // once accepted to other requests of the same manager.
      m_network(new QNetworkAccessManager(this)) {
    m_network->setAutoDeleteReplies(false);
    connect(m_network, &QNetworkAccessManager::authenticationRequired, this,
            &DavRequests::offerCredentials, Qt::DirectConnection);
}

DavRequests::~DavRequests() {
    abort();
}

void DavRequests::abort() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void DavRequests::offerCredentials(QNetworkReply* reply, QAuthenticator* authenticator) {
    if (reply == m_reply)
        offerCredentialsOnce(authenticator, reply->url(), m_collection, m_user, m_password,
                             m_offered);
}

void DavRequests::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                       const QByteArray& contentType, Headers headers, Done done) {
    QNetworkRequest request(url);
    request.setTransferTimeout(kRequestTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tanzo"));
    if (!contentType.isEmpty())
        request.setRawHeader("Content-Type", contentType);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply* reply = m_network->sendCustomRequest(request, verb, body);
    m_reply = reply;
    m_offered = false;
    m_tooLarge = false;
    m_refusedRedirect.clear();
    checkCertificateAgainst(reply, m_trusted, &m_untrusted);
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& to) {
        m_refusedRedirect = redirectRefusal(m_collection, reply->url().resolved(to), true);
        if (m_refusedRedirect.isEmpty())
            emit reply->redirectAllowed();
        else
            reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > kMaxAnswerBytes) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, done = std::move(done)] {
        reply->deleteLater();
        if (reply == m_reply)
            m_reply = nullptr;
        DavAnswer answer;
        answer.http = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.etag = QString::fromUtf8(reply->rawHeader("ETag"));
        if (m_tooLarge)
            answer.problem = QStringLiteral("サーバーの応答が大きすぎます（上限 %1 MB）。")
                                 .arg(kMaxAnswerBytes / (1024 * 1024));
        else if (!m_refusedRedirect.isEmpty())
            answer.problem = m_refusedRedirect;
        else if (reply->error() == QNetworkReply::SslHandshakeFailedError)
            answer.problem = untrustedCertificateText(m_untrusted, m_trusted, reply->errorString());
        else if (answer.http == 401)
            answer.problem = QStringLiteral("利用者名かパスワードが違います（401）。");
        else if (answer.http == 403)
            answer.problem =
                QStringLiteral("このカレンダーに書き込むことが許されていません（403）。");
        else if (answer.http >= 500)
            answer.problem =
                QStringLiteral("サーバーでエラーが起きました（%1）。").arg(answer.http);
        else if (answer.http == 0)
            answer.problem = kNoAnswer + QStringLiteral("（%1）。").arg(reply->errorString());
        else
            answer.body = reply->readAll();
        done(answer);
    });
}

} // namespace tanzo
