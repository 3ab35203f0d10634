#pragma once

#include <QDate>
#include <QDateTime>
#include <QTimeZone>

#include <libical/ical.h>

#include <vector>

namespace tanzo::ics {

// How the wall-clock fields of an iCalendar date-time become a moment: UTC,
// a zone defined in the file (VTIMEZONE) or known to libical, an IANA zone
// known only to the system, or floating (the reader's local time).
struct TimeBasis {
    enum class Kind { Floating, Utc, Ical, System, Unknown };
    Kind kind = Kind::Floating;
    icaltimezone* ical = nullptr;
    QTimeZone system;
};

// The basis of a DTSTART, EXDATE, RDATE or RECURRENCE-ID property. A
// floating value takes `floating`, so that an EXDATE without TZID follows
// its event's DTSTART.
TimeBasis basisOf(icalproperty* property, const icaltimetype& value, icalcomponent* calendar,
                  const TimeBasis& floating = {});

// The moment in local time; invalid for an Unknown basis.
QDateTime toLocal(const icaltimetype& value, const TimeBasis& basis);

// The start times of an event's occurrences whose local date lies in
// [first, last]: DTSTART itself, or the expansion of RRULE and RDATE less
// EXDATE. Recurrences are searched from a little before `first` so that a
// rule begun years ago costs no more than one begun last week.
struct Occurrence {
    icaltimetype value; // in the event's own zone, with is_date for all-day
    QDateTime local;
};
std::vector<Occurrence> occurrences(icalcomponent* event, icalcomponent* calendar,
                                    const TimeBasis& basis, const QDate& first, const QDate& last);

} // namespace tanzo::ics
