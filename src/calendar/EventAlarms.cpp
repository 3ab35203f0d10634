#include "EventAlarms.h"

#include <algorithm>

namespace tanzo::ics {
namespace {

constexpr qint64 kMinuteSeconds = 60;

// Days and seconds of a duration, with its sign.
std::pair<int, qint64> daysAndSeconds(const icaldurationtype& d) {
    const int sign = d.is_neg ? -1 : 1;
    const int days = static_cast<int>(std::min<unsigned>(d.weeks, 10000) * 7 +
                                      std::min<unsigned>(d.days, 100000));
    const qint64 seconds = qint64(d.hours) * 3600 + qint64(d.minutes) * 60 + d.seconds;
    return {sign * days, sign * seconds};
}

bool givesNotice(icalcomponent* alarm) {
    icalproperty* action = icalcomponent_get_first_property(alarm, ICAL_ACTION_PROPERTY);
    if (!action)
        return false;
    const icalproperty_action kind = icalproperty_get_action(action);
    return kind == ICAL_ACTION_DISPLAY || kind == ICAL_ACTION_AUDIO;
}

} // namespace

std::vector<AlarmTrigger> alarmTriggers(icalcomponent* event, icalcomponent* calendar,
                                        const TimeBasis& basis) {
    std::vector<AlarmTrigger> triggers;
    int read = 0;
    for (icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT);
         alarm && read < kMaxAlarmsRead;
         alarm = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT), ++read) {
        icalproperty* p = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (!p || !givesNotice(alarm))
            continue;
        const icaltriggertype value = icalproperty_get_trigger(p);
        AlarmTrigger trigger;
        if (!icaltime_is_null_time(value.time)) {
            trigger.related = AlarmTrigger::Related::Absolute;
            // RFC 5545 asks for UTC; a zone or a floating time is still read.
            trigger.at = toLocal(value.time, basisOf(p, value.time, calendar, basis));
            if (!trigger.at.isValid())
                continue;
        } else {
            icalparameter* related = icalproperty_get_first_parameter(p, ICAL_RELATED_PARAMETER);
            if (related && icalparameter_get_related(related) == ICAL_RELATED_END)
                trigger.related = AlarmTrigger::Related::End;
            std::tie(trigger.days, trigger.seconds) = daysAndSeconds(value.duration);
        }
        triggers.push_back(trigger);
    }
    return triggers;
}

EventLength lengthOf(icalcomponent* event, icalcomponent* calendar, const TimeBasis& basis) {
    EventLength length;
    if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        std::tie(length.days, length.seconds) = daysAndSeconds(icalproperty_get_duration(p));
    } else if (icalproperty* end = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
        const icaltimetype endValue = icalproperty_get_dtend(end);
        const QDateTime from =
            start ? toLocal(icalproperty_get_dtstart(start), basis) : QDateTime();
        const QDateTime to = toLocal(endValue, basisOf(end, endValue, calendar, basis));
        if (from.isValid() && to.isValid())
            length.seconds = from.secsTo(to);
    }
    // An end before the start is read as no length at all.
    if (length.days < 0 || length.seconds < 0)
        return {};
    return length;
}

QDateTime triggerMoment(const AlarmTrigger& trigger, const QDateTime& start,
                        const EventLength& length) {
    switch (trigger.related) {
    case AlarmTrigger::Related::Absolute:
        return trigger.at;
    case AlarmTrigger::Related::End:
        return start.addDays(length.days)
            .addSecs(length.seconds)
            .addDays(trigger.days)
            .addSecs(trigger.seconds);
    case AlarmTrigger::Related::Start:
        break;
    }
    return start.addDays(trigger.days).addSecs(trigger.seconds);
}

std::vector<std::vector<qint64>> remindersOf(const std::vector<AlarmTrigger>& triggers,
                                             const std::vector<QDateTime>& starts,
                                             const EventLength& length) {
    std::vector<std::vector<qint64>> out(starts.size());
    if (starts.empty())
        return out;
    auto add = [&](size_t occurrence, const QDateTime& at) {
        if (!at.isValid())
            return;
        const qint64 seconds = at.toSecsSinceEpoch();
        out[occurrence].push_back(seconds -
                                  ((seconds % kMinuteSeconds) + kMinuteSeconds) % kMinuteSeconds);
    };
    for (const AlarmTrigger& t : triggers) {
        if (t.related != AlarmTrigger::Related::Absolute) {
            for (size_t i = 0; i < starts.size(); ++i)
                add(i, triggerMoment(t, starts[i], length));
            continue;
        }
        const auto next = std::lower_bound(starts.cbegin(), starts.cend(), t.at);
        add(next == starts.cend() ? starts.size() - 1 : size_t(next - starts.cbegin()), t.at);
    }
    for (std::vector<qint64>& times : out) {
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        if (times.size() > size_t(kMaxRemindersPerAppointment))
            times.resize(size_t(kMaxRemindersPerAppointment));
    }
    return out;
}

} // namespace tanzo::ics
