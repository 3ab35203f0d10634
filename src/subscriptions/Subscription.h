#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace tanzo {

// One calendar the user follows: a published iCalendar link or file, or a
// CalDAV calendar collection. The password is not here: it lives in the
// desktop's secret store (see PasswordStore).
struct Subscription {
    enum class Kind { Feed, CalDav };
    QString name;
    QUrl url;
    Kind kind = Kind::Feed;
    int refreshMinutes = 15;
    QString user;
    // The SHA-256 fingerprint of the server's own certificate the user
    // trusts (lowercase hex); empty: only what the system trusts.
    QString trustedCertificate;

    QJsonObject toJson() const;
    // Empty when the stored object is not a usable subscription.
    static std::optional<Subscription> fromJson(const QJsonObject& json);
};

constexpr int kDefaultRefreshMinutes = 15;
constexpr int kMinRefreshMinutes = 5;
constexpr int kMaxRefreshMinutes = 24 * 60;
constexpr int kMaxSubscriptions = 50;
constexpr int kMaxSubscriptionNameLength = 40;

// Checks a typed address and says how it is fetched: https, webcal (taken
// as https), http only to this machine, a file path or file: URL of a local
// .ics. webcal, a URL whose path ends in ".ics" and a file are feeds; any
// other https/http URL is taken as a CalDAV collection until its first sync
// finds no WebDAV there. Sets *error (Japanese) when the address cannot be
// used.
std::optional<Subscription> subscriptionFromAddress(const QString& address, QString* error);

// Whether two addresses name the same calendar: the same file, or the same
// URL but for a trailing slash, the case of scheme and host, a default port.
bool sameAddress(const QUrl& a, const QUrl& b);

// A FIFO or a device (/dev/zero) named as the calendar is never read: it
// would hold the reader, or never end. What the user is told.
QString notRegularFileText(const QString& path);

// The address as any output shows it: the values of its query (a published
// link's ?token=) and a password in it replaced by "***", a file's path as
// it is.
QString maskedAddress(const QUrl& url);

// A name from the address when the user gave none: the host, or the file's
// base name.
QString defaultSubscriptionName(const QUrl& url);

// The name is shown in lists and marks lines: one line, not empty, short.
bool isUsableSubscriptionName(const QString& name);

} // namespace tanzo
