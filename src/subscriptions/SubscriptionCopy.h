#pragma once

#include "schedule/ScheduleEntry.h"

#include <QDateTime>
#include <QJsonObject>
#include <QMap>
#include <QString>

#include <functional>
#include <vector>

namespace tanzo {

// An appointment of a subscribed calendar, with what identifies its
// occurrence across syncs: the event's UID and the occurrence's start. A
// recurring event's occurrences differ by their start; an occurrence moved
// on the server is a new appointment, and gets its notices again.
struct SubscribedEntry {
    ScheduleEntry entry;
    QString uid;
    bool allDay = false;   // a day of an all-day event: no start time, no notice
    QString description{}; // the first lines of the event's DESCRIPTION
    // The event's own reminders: seconds since the epoch, each at the start
    // of its minute, in order.
    std::vector<qint64> reminders{};

    // The key of its notice flags: UID, date and start.
    QString noticeKey() const;
};

// The key of one reminder's flag, beside its appointment's notice key.
QString reminderKey(const QString& noticeKey, qint64 at);

// What the server last gave for one resource (a CalDAV event's href, or
// the feed's URL), and the validators to ask whether it has changed.
struct RemoteResource {
    QString etag;
    QString lastModified;
    std::vector<SubscribedEntry> entries;
    int leftOut = 0; // later appointments not kept: past the cap
};

// The last good copy of one subscription, and how its last sync went. It
// is what the board shows while the server is away.
struct SubscriptionCopy {
    QMap<QString, RemoteResource> resources; // by href (CalDAV) or URL (feed)
    QString collectionTag; // CalDAV getctag: unchanged collection, nothing to fetch
    QDate windowStart;     // the first of the seven days the copy covers
    QDateTime lastSync;    // last successful sync
    QDateTime lastAttempt;
    QString status; // why the last attempt failed; empty when it succeeded
    bool ok = false;

    int entryCount() const;
    // Appointments past the cap, left out of the copy.
    int leftOutCount() const;
    std::vector<SubscribedEntry> allEntries() const;

    QJsonObject toJson() const;
    static SubscriptionCopy fromJson(const QJsonObject& json);
};

// Writes a file whole, or not at all; false when it could not.
using FileWriter = std::function<bool(const QString& path, const QByteArray& bytes)>;
// The writer the program uses: through a temporary renamed over the file.
bool writeFileWhole(const QString& path, const QByteArray& bytes);

// The copies and the notice flags of subscribed appointments, kept in the
// user's cache folder (one file per subscription; the flags in one file)
// so that the board shows them at start without a network, and a notice
// given is not given again after a restart. Nothing is written to the data
// file.
class SubscriptionCache {
public:
    explicit SubscriptionCache(QString directory, FileWriter writer = writeFileWhole);

    QString directory() const { return m_directory; }
    QString fileOf(const QString& name) const;
    QString flagsFile() const;
    SubscriptionCopy read(const QString& name) const;
    bool write(const QString& name, const SubscriptionCopy& copy) const;
    void remove(const QString& name) const;

    // Flags by notice key: bit 1 arrived, bit 2 advance notice given; by
    // reminder key: bit 4, the reminder given.
    QMap<QString, int> readFlags() const;
    bool writeFlags(const QMap<QString, int>& flags) const;

private:
    bool writeObject(const QString& path, const QJsonObject& object) const;

    QString m_directory;
    FileWriter m_writer;
};

// Caps on what one subscription may hold.
constexpr int kMaxResources = 5000;
constexpr int kMaxSubscribedEntries = 5000;
// The reminders the clock looks at, in all subscriptions: those of the
// soonest appointments.
constexpr int kMaxSubscribedReminders = 5000;

} // namespace tanzo
