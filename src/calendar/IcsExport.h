#pragma once

#include "schedule/ScheduleEntry.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tanzo {

// The appointments as an iCalendar file: one VEVENT each, starting at local
// time (with the system's zone when libical knows it, floating otherwise),
// with SUMMARY, LOCATION and PRIORITY, and a display alarm `noticeMinutes`
// before the start (at the start when negative). `stamp` is the DTSTAMP.
QByteArray exportIcs(const DayList& list, int noticeMinutes, const QDateTime& stamp);
// One appointment the same way, as a calendar object of its own with the
// given UID (a CalDAV resource).
QByteArray exportEventIcs(const ScheduleEntry& entry, const QByteArray& uid, int noticeMinutes,
                          const QDateTime& stamp);

// Writes the file whole or not at all; false with a message on failure.
bool writeIcsFile(const QString& path, const QByteArray& bytes, QString* error);

} // namespace tanzo
