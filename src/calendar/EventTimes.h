#pragma once

#include <QDate>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QStringList>
#include <QTimeZone>

#include <libical/ical.h>

#include <optional>
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

// Whether the fields make a real date (and time of day): libical reads
// "T250000" as hour 25 without complaint.
bool wellFormed(const icaltimetype& value);

// The moment in local time; invalid for an Unknown basis or malformed
// fields. A wall time that the zone skips (the hour lost when summer time
// begins) is read with the offset before the gap, so 02:30 becomes 03:30;
// one that happens twice (the hour repeated in autumn) is the earlier.
QDateTime toLocal(const icaltimetype& value, const TimeBasis& basis);

// The same rule for the reader's own local time.
QDateTime localMoment(const QDate& date, const QTime& time);

// What an expansion may cost: steps of one rule, and time.
struct ExpansionBound {
    int maxSteps = 100000;
    QDeadlineTimer deadline;
};

// Whether libical can be given a rule: a finer-than-daily rule with day
// filters (BYMONTH, BYDAY ...) or out-of-range time filters makes it search
// second by second for a match that may never come, which no bound of ours
// can interrupt; a rule whose day filters match no day is never expanded.
enum class RuleShape { Fine, Never, TooComplex };
RuleShape shapeOf(const icalrecurrencetype& rule);

// The start times of an event's occurrences whose local date lies in
// [first, last]: DTSTART itself, or the expansion of RRULE and RDATE less
// EXDATE. Recurrences are searched from a little before `first` so that a
// rule begun years ago costs no more than one begun last week. `cut` tells
// that the bound stopped the rule before it passed `last`.
struct Occurrence {
    icaltimetype value; // in the event's own zone, with is_date for all-day
    QDateTime local;
};
struct Expansion {
    std::vector<Occurrence> found;
    bool cut = false;
    bool tooComplex = false; // the rule was not expanded, see shapeOf
};
Expansion occurrences(icalcomponent* event, icalcomponent* calendar, const TimeBasis& basis,
                      const QDate& first, const QDate& last, const ExpansionBound& bound);

// Removes from the calendar each VTIMEZONE whose observances libical would
// have to expand without end or at great cost (a rule more frequent than
// yearly, hundreds of changes a year, or more changes in all than any real
// zone has), so that its TZID reads as unknown. Returns their TZIDs.
QStringList removeCostlyZones(icalcomponent* calendar);

} // namespace tanzo::ics
