#pragma once

#include "platform/AtomicWriter.h"
#include "schedule/ScheduleEntry.h"

#include <QDateTime>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QUrl>

#include <optional>

namespace tanzo {

// Where the own calendar is and who the user is there. The password lives
// in the secret store (see kOwnCalendarAccount).
struct OwnCalendarConfig {
    QUrl url; // the calendar collection, with a trailing slash
    QString user;
    QString trustedCertificate; // SHA-256 of the server's own certificate, or empty
};

// The secret store's account of the own calendar's password. Subscription
// names never hold a slash, so it is no subscription's.
inline const QString kOwnCalendarAccount = QStringLiteral("own/calendar");

// One calendar object of the collection as it was at the last sync.
struct SyncedEvent {
    QString uid;
    QString etag;
    // The appointment it was in TANZO.DAT then; none for an event the board
    // does not hold (a series, an all-day event).
    std::optional<ScheduleEntry> entry;
    // A series: its text, shown read-only on the board (see
    // kMaxShownSeriesBytes); never put into TANZO.DAT.
    QByteArray seriesText{};
};

constexpr qsizetype kMaxShownSeriesBytes = 256 * 1024;

// The own calendar's settings and what was last synced, beside the data
// file, never in it: per href the event's UID, ETag and appointment, and
// the collection's ctag. What waits to be sent is the difference between
// TANZO.DAT and these appointments, so it survives any restart.
struct OwnCalendarState {
    OwnCalendarConfig config;
    QString collectionTag;
    QMap<QString, SyncedEvent> events; // by href (decoded path)
    QString lastProblem;               // why the last sync did not finish; empty when it did
    QDateTime lastSync;

    QJsonObject toJson() const;
    static OwnCalendarState fromJson(const QJsonObject& json);
};

// Empty when there is no file (no own calendar), or it cannot be read
// (*problem then says so).
std::optional<OwnCalendarState> readOwnCalendarState(const QString& path,
                                                     QString* problem = nullptr);
// Written whole (mode 0600) or not at all.
bool writeOwnCalendarState(const QString& path, const OwnCalendarState& state,
                           const AtomicWriterFactory& writers = makeSaveFileWriter);

// The largest state file read: a thousand appointments take some 300 KB.
constexpr qint64 kMaxOwnStateBytes = 32 * 1024 * 1024;

} // namespace tanzo
