#pragma once

#include "schedule/ScheduleEntry.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tanzo {

// One appointment of TANZO.DAT as a calendar object of the own calendar:
// SUMMARY the comment (the place when there is none), LOCATION the place,
// PRIORITY 1/5/9 for 最重要/重要/普通, DTSTART in local time, and a
// display alarm `noticeMinutes` before the start (at it when negative).
QByteArray ownEventText(const ScheduleEntry& entry, const QString& uid, int noticeMinutes,
                        const QDateTime& stamp);

// What a calendar object of the server is to the board.
struct OwnEventReading {
    enum class Kind {
        Appointment, // one timed event: an appointment of TANZO.DAT
        Recurring,   // a series (or its overrides): never expanded into the file
        Other,       // all-day, cancelled, unreadable: not the board's to hold
    };
    Kind kind = Kind::Other;
    QString uid;
    ScheduleEntry entry; // Appointment: fitted to what the data file holds
    QByteArray text{};   // Recurring: the object's text, for the board to show
};

// Reads one calendar object as the import would read it: text fitted to
// code page 932 and the seven-character place, the start in local time.
// Uses libical: call it on ics::worker() only.
OwnEventReading readOwnEvent(const QByteArray& text);

} // namespace tanzo
