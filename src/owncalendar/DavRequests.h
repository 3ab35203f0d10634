#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <utility>

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkReply;

namespace tanzo {

// What one request brought back: the HTTP status and the body, or why
// there was no answer to speak of (problem, for the user).
struct DavAnswer {
    int http = 0;
    QByteArray body;
    QString etag;
    QString problem;
};

// Sends requests to one CalDAV collection, one at a time, each bounded in
// time and answer size. The password goes only to the collection's origin,
// when the server asks for it; a redirect elsewhere, or from https, is not
// followed; the server's own certificate is taken only when it is the one
// the user trusts. Answers come through the event loop, never at once.
class DavRequests : public QObject {
    Q_OBJECT
public:
    using Headers = QList<std::pair<QByteArray, QByteArray>>;
    using Done = std::function<void(const DavAnswer&)>;

    DavRequests(QUrl collection, QString user, QString password, QString trustedCertificate,
                QObject* parent = nullptr);
    ~DavRequests() override;

    void send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
              const QByteArray& contentType, Headers headers, Done done);
    void abort();

    static constexpr int kRequestTimeoutMs = 20000;
    static constexpr qint64 kMaxAnswerBytes = 16 * 1024 * 1024;

private:
    void offerCredentials(QNetworkReply* reply, QAuthenticator* authenticator);

    QUrl m_collection;
    QString m_user;
    QString m_password;
    QString m_trusted;
    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    bool m_offered = false;
    bool m_tooLarge = false;
    QString m_refusedRedirect;
    QString m_untrusted;
};

} // namespace tanzo
