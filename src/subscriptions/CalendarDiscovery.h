#pragma once

#include "Multistatus.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <vector>

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace tanzo {

// One calendar collection found on a server.
struct FoundCalendar {
    QString name; // its display name, or the last part of its address
    QUrl url;
    QString color; // as the server gave it; may be empty
};

struct DiscoveryResult {
    bool ok = false;
    QString problem; // for the user, when not ok
    std::vector<FoundCalendar> calendars;
    QString untrustedCertificate; // the fingerprint of one that was refused
};

// What one answer of the discovery says to do next.
struct DiscoveryStep {
    enum class Kind { Done, AskPrincipal, ListHome, NothingHere } kind = Kind::NothingHere;
    QUrl next;                            // AskPrincipal, ListHome
    std::vector<FoundCalendar> calendars; // Done
};

// From a Depth 0 answer about `asked`: the collection itself is a calendar
// (done), or it names a calendar home (list it) or a principal (ask it).
DiscoveryStep stepFromProperties(const std::vector<DavResponse>& responses, const QUrl& asked);
// From a Depth 1 answer about a calendar home: the calendar collections in
// it that hold events, in the server's order, at most kMaxFoundCalendars.
std::vector<FoundCalendar> calendarsInHome(const std::vector<DavResponse>& responses,
                                           const QUrl& home);

constexpr int kMaxFoundCalendars = 100;

// Finds the user's calendars from whatever address of the server they
// know (RFC 6764, CalDAV): the server's root goes by /.well-known/caldav,
// then the current user's principal, its calendar home, and a listing of
// the home. A calendar's own address answers with itself. Every step is
// bounded (answer size, number of steps, time); the password goes only to
// the origin that was given, once it asks. Deletes itself after `finished`.
class CalendarDiscovery : public QObject {
    Q_OBJECT
public:
    CalendarDiscovery(QUrl start, QString user, QString password, QNetworkAccessManager& network,
                      QObject* parent = nullptr);
    ~CalendarDiscovery() override;

    // The server's own certificate the user trusts (see CertificateTrust.h).
    void setTrustedCertificate(const QString& fingerprint) { m_trusted = fingerprint; }
    void start();
    void cancel();

    static constexpr int kMaxSteps = 5;
    static constexpr int kRequestTimeoutMs = 20000;
    static constexpr int kTimeoutMs = 60000;
    static constexpr qint64 kMaxAnswerBytes = 1024 * 1024;

signals:
    void finished(const tanzo::DiscoveryResult& result);

private:
    enum class Ask { WellKnown, Properties, Home };
    void ask(const QUrl& url, Ask what);
    void answered(QNetworkReply* reply, Ask what);
    // Asks again where a redirect points, or fails when it may not be
    // followed; false when the answer is no redirect.
    bool followedRedirect(QNetworkReply* reply, int http, Ask what);
    // Why an answer that is not a redirect leads nowhere, in the user's
    // words; empty when it is a multistatus to read.
    QString answerProblem(QNetworkReply* reply, int http, bool multistatus) const;
    // The next request, or the end, that a multistatus answer leads to.
    void takeStep(const std::vector<DavResponse>& responses, const QUrl& asked, Ask what);
    void offerCredentials(QNetworkReply* reply, QAuthenticator* authenticator);
    void finish(DiscoveryResult result);
    void fail(const QString& problem);

    QUrl m_start;
    QString m_user;
    QString m_password;
    QNetworkAccessManager& m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer* m_deadline = nullptr;
    int m_steps = 0;
    bool m_credentialsOffered = false;
    bool m_tooLarge = false;
    bool m_done = false;
    QString m_trusted;
    QString m_untrusted;
};

} // namespace tanzo
