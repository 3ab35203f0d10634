#pragma once

#include "EventTimes.h"

#include <QDateTime>

#include <libical/ical.h>

#include <vector>

namespace tanzo::ics {

// One of an event's own reminders (a VALARM the board can give: DISPLAY or
// AUDIO), as read once for the event and laid on each occurrence.
struct AlarmTrigger {
    enum class Related { Start, End, Absolute };
    Related related = Related::Start;
    // Relative: nominal days (they keep the wall time across a change of
    // summer time, as RFC 5545 3.3.6 has it), then exact seconds; both
    // negative before the start or end.
    int days = 0;
    qint64 seconds = 0;
    QDateTime at; // Absolute
};

// The VALARMs of the event looked at, and the reminders one appointment
// keeps: a real event has one or two.
constexpr int kMaxAlarmsRead = 16;
constexpr int kMaxRemindersPerAppointment = 8;

// The event's DISPLAY and AUDIO alarms with a usable trigger; EMAIL and
// PROCEDURE alarms, and those past kMaxAlarmsRead, are passed over.
std::vector<AlarmTrigger> alarmTriggers(icalcomponent* event, icalcomponent* calendar,
                                        const TimeBasis& basis);

// How long each occurrence lasts, in nominal days and seconds: DURATION,
// or DTEND less DTSTART, or nothing.
struct EventLength {
    int days = 0;
    qint64 seconds = 0;
};
EventLength lengthOf(icalcomponent* event, icalcomponent* calendar, const TimeBasis& basis);

// The moment of a relative trigger for an occurrence starting at `start`;
// an absolute trigger's own moment.
QDateTime triggerMoment(const AlarmTrigger& trigger, const QDateTime& start,
                        const EventLength& length);

// The reminder times of each occurrence (given by start, in time order) as
// seconds since the epoch, each at the start of its minute, sorted, without
// repeats, kMaxRemindersPerAppointment at most. A relative trigger travels
// with every occurrence; an absolute one is one moment, so it goes to the
// first occurrence at or after it (or the last, when all began before it).
std::vector<std::vector<qint64>> remindersOf(const std::vector<AlarmTrigger>& triggers,
                                             const std::vector<QDateTime>& starts,
                                             const EventLength& length);

} // namespace tanzo::ics
