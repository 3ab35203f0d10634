#pragma once

#include "EventConversion.h"
#include "Subscription.h"
#include "SubscriptionCopy.h"
#include "SyncMachinery.h"

#include <QDate>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QAuthenticator;
class QNetworkAccessManager;
class QTimer;

namespace tanzo {

// One sync of one subscription, entirely asynchronous: each request answers
// through the event loop and the calendars are converted on a worker
// thread, so the clock never waits on the network or on parsing. A feed is
// fetched with a conditional GET; a CalDAV collection is asked for the
// ETags of the events in the seven days, and only new or changed events are
// fetched (calendar-multiget). Reading a local file and converting run on
// the one libical worker (ics::worker()). On any failure the previous copy
// is kept and the status says why. The object deletes itself after
// `finished`.
class SubscriptionSync : public SyncJob {
    Q_OBJECT
public:
    SubscriptionSync(Subscription subscription, QString password, SubscriptionCopy previous,
                     QDate today, QNetworkAccessManager& network, QObject* parent = nullptr);
    ~SubscriptionSync() override;

    void start() override;
    void cancel() override;

    // Bounds of one sync.
    static constexpr int kRequestTimeoutMs = 20000;
    static constexpr int kSyncTimeoutMs = 120000;
    static constexpr qint64 kMaxAnswerBytes = kMaxCalendarBytes;
    static constexpr int kMultigetBatch = 200;
    static constexpr int kMaxRedirects = 5;

private:
    using ReplyHandler = std::function<void(QNetworkReply*, const QByteArray&)>;

    void send(const QByteArray& verb, const QUrl& url, const QByteArray& body, int depth,
              ReplyHandler onOk);
    void readLocalFile();
    void fetchFeed();
    void fetchAsFeedInstead();
    void askCollection();
    void queryEvents();
    void fetchChanged();
    void convert(std::vector<std::pair<QString, QByteArray>> fetched);
    void fail(const QString& status);
    void succeed(SubscriptionCopy copy, bool changed);
    QString replyProblem(QNetworkReply* reply, int httpStatus) const;
    void followRedirect(QNetworkReply* reply, const QUrl& to);
    void offerCredentials(QNetworkReply* reply, QAuthenticator* authenticator);

    Subscription m_subscription;
    QString m_password;
    SubscriptionCopy m_previous;
    QDate m_today;
    QNetworkAccessManager& m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer* m_deadline = nullptr;
    bool m_tooLarge = false;
    bool m_credentialsOffered = false; // for the request under way
    QString m_refusedRedirect;         // why its redirect was not followed
    QString m_untrustedCertificate;
    bool m_done = false;
    bool m_sameWindow = false;
    // The first sync of an address taken for CalDAV: a server that does not
    // speak WebDAV there is asked for a published calendar instead.
    bool m_probingKind = false;

    // CalDAV state between the steps.
    QString m_collectionTag;
    QMap<QString, QString> m_etags; // href -> ETag of the events in the seven days
    std::vector<QString> m_toFetch;
    std::vector<std::pair<QString, QByteArray>> m_fetched;
    QMap<QString, QString> m_fetchedEtags;
};

} // namespace tanzo
