#pragma once

#include "schedule/ScheduleEntry.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <vector>

namespace tanzo {

// An event of the file that did not become an appointment, and why.
struct LeftOutEvent {
    QDate date;
    QTime time;
    QString title;
    QString reason;
};

struct IcsImportResult {
    bool isCalendar = false; // false: the bytes are not an iCalendar file
    std::vector<ScheduleEntry> entries;
    int duplicates = 0; // already present, or twice in the file
    int allDay = 0;     // all-day events: they have no start time
    std::vector<LeftOutEvent> leftOut;
};

// The events of an iCalendar file that start in the seven days from today
// (local time) as appointments: recurring events expanded, the place from
// LOCATION or else SUMMARY, the importance from PRIORITY. An appointment
// with the date, start time and place of one in `existing` (or of one
// imported before it) is skipped.
IcsImportResult importIcs(const QByteArray& bytes, const QDate& today,
                          const std::vector<ScheduleEntry>& existing);

// A few Japanese lines that say what the import did, for a message box or
// the terminal.
QString describeImport(const IcsImportResult& result);

// The text for a file that is not iCalendar.
QString notCalendarMessage(const QString& fileName);

} // namespace tanzo
