#pragma once

#include "IcsFileText.h"
#include "IcsImport.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QSet>
#include <QString>

#include <atomic>

namespace tanzo::ics {

// Fitting the events of one VCALENDAR to appointments of the seven days from
// `today` into `result`: each event expanded within its bound of steps and
// time (and the file's `fileDeadline`), the occurrences that a
// RECURRENCE-ID event replaces left to it, the place and comment as readIcs
// describes, all-day events on each of their days (a subscription) or
// counted (the data file), what cannot be an appointment left out with its
// reason, and twice the same (across the file: `seen`) counted once.
void fitCalendar(icalcomponent* skeleton, const QByteArray& text, const CalendarText& calendar,
                 const QDate& today, QSet<QString>& seen, const QDeadlineTimer& fileDeadline,
                 IcsImportResult& result, const std::atomic_bool* cancel, IcsTarget target);

// Appointments are the same when date, start and place agree.
QString duplicateKey(const ScheduleEntry& e);

} // namespace tanzo::ics
