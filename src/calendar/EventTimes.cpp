#include "EventTimes.h"

#include <QSet>

#include <algorithm>
#include <functional>

namespace tanzo::ics {
namespace {
// Zone offsets move a date by at most a day either way.
constexpr int kSearchMarginDays = 2;
constexpr qint64 kDaySeconds = 24 * 3600;

using OffsetAt = std::function<int(qint64 instant)>;

QDate dateOf(const icaltimetype& t) {
    return QDate(t.year, t.month, t.day);
}

QTime timeOf(const icaltimetype& t) {
    return t.is_date ? QTime(0, 0) : QTime(t.hour, t.minute, t.second);
}

// The wall-clock fields read as if they were UTC.
qint64 wallSeconds(const QDate& date, const QTime& time) {
    return QDateTime(date, time, QTimeZone::utc()).toSecsSinceEpoch();
}

icaltimetype floatingFromWall(qint64 wall) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(wall, QTimeZone::utc());
    icaltimetype value = icaltime_null_time();
    value.year = t.date().year();
    value.month = t.date().month();
    value.day = t.date().day();
    value.hour = t.time().hour();
    value.minute = t.time().minute();
    value.second = t.time().second();
    return value;
}

OffsetAt offsetsOf(const TimeBasis& basis) {
    switch (basis.kind) {
    case TimeBasis::Kind::Ical:
        return [zone = basis.ical](qint64 instant) {
            icaltimetype utc = icaltime_from_timet_with_zone(static_cast<time_t>(instant), 0,
                                                             icaltimezone_get_utc_timezone());
            int daylight = 0;
            return icaltimezone_get_utc_offset_of_utc_time(zone, &utc, &daylight);
        };
    case TimeBasis::Kind::System:
        return [zone = basis.system](qint64 instant) {
            return zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(instant, QTimeZone::utc()));
        };
    case TimeBasis::Kind::Floating:
        return
            [](qint64 instant) { return QDateTime::fromSecsSinceEpoch(instant).offsetFromUtc(); };
    case TimeBasis::Kind::Utc:
    case TimeBasis::Kind::Unknown:
        break;
    }
    return [](qint64) { return 0; };
}

// The moment of a wall time: of the offsets in force a day before and a
// day after, the ones that give back the same wall time; the earlier
// moment when both do (the repeated hour); the offset before the change
// when none does (the skipped hour, as RFC 5545 3.3.5 has it).
qint64 instantOfWall(qint64 wall, const OffsetAt& offsetAt) {
    const int before = offsetAt(wall - kDaySeconds);
    const int after = offsetAt(wall + kDaySeconds);
    std::optional<qint64> best;
    for (const int offset : {before, after}) {
        const qint64 candidate = wall - offset;
        if (offsetAt(candidate) == offset && (!best || candidate < *best))
            best = candidate;
    }
    return best ? *best : wall - before;
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
    // Qt reads an id it does not know as a POSIX TZ rule ("Hostile" is a
    // zone at UTC), so only ids of its zone list count.
    const QByteArray id(tzid);
    if (QTimeZone::isTimeZoneIdAvailable(id)) {
        const QTimeZone system(id);
        if (system.isValid()) {
            basis.kind = TimeBasis::Kind::System;
            basis.system = system;
            return basis;
        }
    }
    basis.kind = TimeBasis::Kind::Unknown;
    return basis;
}

bool wellFormed(const icaltimetype& value) {
    return dateOf(value).isValid() &&
           (value.is_date || QTime::isValid(value.hour, value.minute, value.second));
}

QDateTime toLocal(const icaltimetype& value, const TimeBasis& basis) {
    if (basis.kind == TimeBasis::Kind::Unknown || !wellFormed(value))
        return {};
    const qint64 wall = wallSeconds(dateOf(value), timeOf(value));
    if (basis.kind == TimeBasis::Kind::Utc)
        return QDateTime::fromSecsSinceEpoch(wall);
    return QDateTime::fromSecsSinceEpoch(instantOfWall(wall, offsetsOf(basis)));
}

QDateTime localMoment(const QDate& date, const QTime& time) {
    return QDateTime::fromSecsSinceEpoch(
        instantOfWall(wallSeconds(date, time), offsetsOf(TimeBasis{})));
}

namespace {

// The days asked for, and the wider ones near them: far-off times are not
// converted, as a zone is expanded up to the latest year asked of it.
struct SearchDays {
    SearchDays(const QDate& from, const QDate& to)
        : first(from), last(to), nearFrom(from.addDays(-kSearchMarginDays)),
          nearTo(to.addDays(kSearchMarginDays)) {}

    bool near(const icaltimetype& value) const {
        const QDate day = dateOf(value);
        return day >= nearFrom && day <= nearTo;
    }
    // Adds an occurrence that falls in the days asked for; false once the
    // rule has passed them.
    bool consider(const icaltimetype& value, const TimeBasis& basis,
                  std::vector<Occurrence>& found) const {
        if (!near(value))
            return dateOf(value) <= last;
        const QDateTime local = toLocal(value, basis);
        const QDate day = value.is_date ? dateOf(value) : local.date();
        if (local.isValid() && day >= first && day <= last)
            found.push_back({value, local});
        return day <= last;
    }

    QDate first;
    QDate last;
    QDate nearFrom;
    QDate nearTo;
};

// The occurrences of the RRULE, within the bound of steps and time.
void expandRule(icalproperty* rule, const icaltimetype& start, const TimeBasis& basis,
                const SearchDays& days, const ExpansionBound& bound, Expansion& result) {
    icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
    // The rule steps through wall-clock times of the event's zone, so a
    // UTC UNTIL is turned into that zone's wall clock first.
    if (!icaltime_is_null_time(recurrence.until) && !recurrence.until.is_date &&
        icaltime_is_utc(recurrence.until) && wellFormed(recurrence.until)) {
        const qint64 instant = wallSeconds(dateOf(recurrence.until), timeOf(recurrence.until));
        recurrence.until = floatingFromWall(instant + offsetsOf(basis)(instant));
    }
    icaltimetype wallStart = start;
    wallStart.zone = nullptr;
    const RuleShape shape = shapeOf(recurrence);
    result.tooComplex = shape == RuleShape::TooComplex;
    icalrecur_iterator* it =
        shape == RuleShape::Fine ? icalrecur_iterator_new(recurrence, wallStart) : nullptr;
    if (!it)
        return;
    if (recurrence.count == 0 && days.nearFrom > dateOf(start)) {
        icaltimetype jump = wallStart;
        jump.year = days.nearFrom.year();
        jump.month = days.nearFrom.month();
        jump.day = days.nearFrom.day();
        icalrecur_iterator_set_start(it, jump);
    }
    for (int step = 0;; ++step) {
        if (step >= bound.maxSteps || bound.deadline.hasExpired()) {
            result.cut = true;
            break;
        }
        const icaltimetype next = icalrecur_iterator_next(it);
        if (icaltime_is_null_time(next) || !days.consider(next, basis, result.found))
            break;
    }
    icalrecur_iterator_free(it);
}

void addRecurrenceDates(icalcomponent* event, icalcomponent* calendar, const TimeBasis& basis,
                        const SearchDays& days, std::vector<Occurrence>& found) {
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
        const icaltimetype value =
            icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time;
        if (!days.near(value))
            continue;
        const QDateTime local = toLocal(value, basisOf(p, value, calendar, basis));
        if (local.isValid() && local.date() >= days.first && local.date() <= days.last)
            found.push_back({value, local});
    }
}

void dropExcluded(icalcomponent* event, icalcomponent* calendar, const TimeBasis& basis,
                  const SearchDays& days, std::vector<Occurrence>& found) {
    QSet<qint64> excludedMoments;
    QSet<qint64> excludedDays;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype value = icalproperty_get_exdate(p);
        if (!days.near(value))
            continue;
        if (value.is_date)
            excludedDays.insert(dateOf(value).toJulianDay());
        else if (const QDateTime t = toLocal(value, basisOf(p, value, calendar, basis));
                 t.isValid())
            excludedMoments.insert(t.toSecsSinceEpoch());
    }
    std::erase_if(found, [&](const Occurrence& o) {
        return excludedDays.contains(dateOf(o.value).toJulianDay()) ||
               excludedMoments.contains(o.local.toSecsSinceEpoch());
    });
}

} // namespace

Expansion occurrences(icalcomponent* event, icalcomponent* calendar, const TimeBasis& basis,
                      const QDate& first, const QDate& last, const ExpansionBound& bound) {
    Expansion result;
    icalproperty* startProperty = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!startProperty)
        return result;
    const icaltimetype start = icalproperty_get_dtstart(startProperty);
    if (!wellFormed(start))
        return result;
    const SearchDays days(first, last);
    if (icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY))
        expandRule(rule, start, basis, days, bound, result);
    else
        days.consider(start, basis, result.found);
    addRecurrenceDates(event, calendar, basis, days, result.found);
    dropExcluded(event, calendar, basis, days, result.found);
    std::sort(result.found.begin(), result.found.end(),
              [](const Occurrence& a, const Occurrence& b) { return a.local < b.local; });
    return result;
}

} // namespace tanzo::ics
