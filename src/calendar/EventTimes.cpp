#include "EventTimes.h"

#include <algorithm>

namespace tanzo::ics {
namespace {
// A rule can have far more steps than any seven days need (FREQ=MINUTELY);
// stop walking it after this many.
constexpr int kMaxRuleSteps = 100000;
// Zone offsets move a date by at most a day either way.
constexpr int kSearchMarginDays = 2;

QDate dateOf(const icaltimetype& t) {
    return QDate(t.year, t.month, t.day);
}

QTime timeOf(const icaltimetype& t) {
    return t.is_date ? QTime(0, 0) : QTime(t.hour, t.minute, t.second);
}
} // namespace

TimeBasis basisOf(icalproperty* property, const icaltimetype& value, icalcomponent* calendar,
                  const TimeBasis& floating) {
    TimeBasis basis;
    if (icaltime_is_utc(value)) {
        basis.kind = TimeBasis::Kind::Utc;
        return basis;
    }
    icalparameter* param =
        property ? icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER) : nullptr;
    const char* tzid = param ? icalparameter_get_tzid(param) : nullptr;
    if (!tzid || !*tzid)
        return value.is_date ? TimeBasis{} : floating;
    if (icaltimezone* zone = calendar ? icalcomponent_get_timezone(calendar, tzid) : nullptr) {
        basis.kind = TimeBasis::Kind::Ical;
        basis.ical = zone;
        return basis;
    }
    if (icaltimezone* zone = icaltimezone_get_builtin_timezone(tzid)) {
        basis.kind = TimeBasis::Kind::Ical;
        basis.ical = zone;
        return basis;
    }
    const QTimeZone system{QByteArray(tzid)};
    if (system.isValid()) {
        basis.kind = TimeBasis::Kind::System;
        basis.system = system;
        return basis;
    }
    basis.kind = TimeBasis::Kind::Unknown;
    return basis;
}

QDateTime toLocal(const icaltimetype& value, const TimeBasis& basis) {
    const QDate date = dateOf(value);
    const QTime time = timeOf(value);
    switch (basis.kind) {
    case TimeBasis::Kind::Floating:
        return QDateTime(date, time);
    case TimeBasis::Kind::Utc:
        return QDateTime(date, time, QTimeZone::utc()).toLocalTime();
    case TimeBasis::Kind::Ical: {
        icaltimetype t = value;
        t.is_date = 0;
        t.zone = basis.ical;
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(t, basis.ical));
    }
    case TimeBasis::Kind::System:
        return QDateTime(date, time, basis.system).toLocalTime();
    case TimeBasis::Kind::Unknown:
        break;
    }
    return {};
}

std::vector<Occurrence> occurrences(icalcomponent* event, icalcomponent* calendar,
                                    const TimeBasis& basis, const QDate& first, const QDate& last) {
    std::vector<Occurrence> found;
    icalproperty* startProperty = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!startProperty)
        return found;
    const icaltimetype start = icalproperty_get_dtstart(startProperty);
    auto consider = [&](const icaltimetype& value) {
        const QDateTime local = toLocal(value, basis);
        const QDate day = value.is_date ? dateOf(value) : local.date();
        if (local.isValid() && day >= first && day <= last)
            found.push_back({value, local});
        return day <= last;
    };

    icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (!rule) {
        consider(start);
    } else {
        const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
        icalrecur_iterator* it = icalrecur_iterator_new(recurrence, start);
        if (it) {
            if (recurrence.count == 0) {
                const QDate from = first.addDays(-kSearchMarginDays);
                if (from > dateOf(start)) {
                    icaltimetype jump = start;
                    jump.year = from.year();
                    jump.month = from.month();
                    jump.day = from.day();
                    icalrecur_iterator_set_start(it, jump);
                }
            }
            for (int step = 0; step < kMaxRuleSteps; ++step) {
                const icaltimetype next = icalrecur_iterator_next(it);
                if (icaltime_is_null_time(next) || !consider(next))
                    break;
            }
            icalrecur_iterator_free(it);
        }
    }
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
        const icaltimetype value =
            icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time;
        const TimeBasis own = basisOf(p, value, calendar, basis);
        const QDateTime local = toLocal(value, own);
        if (local.isValid() && local.date() >= first && local.date() <= last)
            found.push_back({value, local});
    }

    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype value = icalproperty_get_exdate(p);
        const QDateTime excluded = toLocal(value, basisOf(p, value, calendar, basis));
        const bool dateOnly = value.is_date;
        std::erase_if(found, [&](const Occurrence& o) {
            return dateOnly ? dateOf(o.value) == dateOf(value) : o.local == excluded;
        });
    }
    std::sort(found.begin(), found.end(),
              [](const Occurrence& a, const Occurrence& b) { return a.local < b.local; });
    return found;
}

} // namespace tanzo::ics
