// What libical may be given without searching for ever or expanding at
// great cost: the shape of an event's rule, and the zones of a calendar.
#include "EventTimes.h"

#include <QDate>

#include <algorithm>

namespace tanzo::ics {
namespace {

// libical expands a zone's observances from their start up to a few years
// past the latest time asked of it, and only near-window times are ever
// asked. A real zone changes once or twice a year since 1601, under a
// thousand changes; the bounds leave room for many times that.
constexpr int kZoneCoverageYear = 2100;
constexpr qint64 kMaxZoneChanges = 100000;
constexpr qint64 kMaxAllZoneChanges = 500000;

int listLength(const short* values, int size) {
    int n = 0;
    while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX)
        ++n;
    return n;
}

// At most how many changes a year an observance's rule makes: the product
// of its BY lists, a weekday without an ordinal counting five times.
qint64 changesPerYear(const icalrecurrencetype& r) {
    qint64 days = 0;
    for (int i = 0; i < ICAL_BY_DAY_SIZE && r.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
        days += icalrecurrencetype_day_position(r.by_day[i]) == 0 ? 5 : 1;
    const qint64 lists[] = {listLength(r.by_second, ICAL_BY_SECOND_SIZE),
                            listLength(r.by_minute, ICAL_BY_MINUTE_SIZE),
                            listLength(r.by_hour, ICAL_BY_HOUR_SIZE),
                            days,
                            listLength(r.by_month_day, ICAL_BY_MONTHDAY_SIZE),
                            listLength(r.by_year_day, ICAL_BY_YEARDAY_SIZE),
                            listLength(r.by_week_no, ICAL_BY_WEEKNO_SIZE),
                            listLength(r.by_month, ICAL_BY_MONTH_SIZE),
                            listLength(r.by_set_pos, ICAL_BY_SETPOS_SIZE)};
    qint64 product = 1;
    for (const qint64 n : lists)
        product = std::min<qint64>(product * std::max<qint64>(n, 1), kMaxZoneChanges + 1);
    return product;
}

bool listHas(const short* values, int size, int value) {
    for (int i = 0; i < size && values[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
        if (values[i] == value)
            return true;
    }
    return false;
}

bool listEmpty(const short* values) {
    return values[0] == ICAL_RECURRENCE_ARRAY_MAX;
}

// Whether some day of four years (a leap year among them) passes the
// rule's day filters: libical looks for the next match without a bound on
// its own, so a rule that never matches (30 February) would cost seconds
// per event, or for ever at a finer frequency. Weekday ordinals are not
// weighed, so a rule taken as possible may still give nothing.
bool someDayMatches(const icalrecurrencetype& r) {
    const QDate from(2028, 1, 1);
    for (QDate d = from; d.year() < 2032; d = d.addDays(1)) {
        const int month = d.month();
        const int monthDay = d.day() - d.daysInMonth() - 1;
        const int yearDay = d.dayOfYear() - d.daysInYear() - 1;
        bool monthOk = listEmpty(r.by_month);
        for (int i = 0;
             !monthOk && i < ICAL_BY_MONTH_SIZE && r.by_month[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
            monthOk = icalrecurrencetype_month_month(r.by_month[i]) == month;
        bool weekdayOk = listEmpty(r.by_day);
        for (int i = 0;
             !weekdayOk && i < ICAL_BY_DAY_SIZE && r.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
            weekdayOk = static_cast<int>(icalrecurrencetype_day_day_of_week(r.by_day[i])) ==
                        d.dayOfWeek() % 7 + 1;
        if (monthOk && weekdayOk &&
            (listEmpty(r.by_month_day) || listHas(r.by_month_day, ICAL_BY_MONTHDAY_SIZE, d.day()) ||
             listHas(r.by_month_day, ICAL_BY_MONTHDAY_SIZE, monthDay)) &&
            (listEmpty(r.by_year_day) ||
             listHas(r.by_year_day, ICAL_BY_YEARDAY_SIZE, d.dayOfYear()) ||
             listHas(r.by_year_day, ICAL_BY_YEARDAY_SIZE, yearDay)))
            return true;
    }
    return false;
}

// How many changes libical would make of a VTIMEZONE; past the bound as
// soon as one rule repeats more often than yearly.
qint64 zoneChanges(icalcomponent* zone) {
    qint64 total = 0;
    for (icalcomponent* c = icalcomponent_get_first_component(zone, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(zone, ICAL_ANY_COMPONENT)) {
        total += icalcomponent_count_properties(c, ICAL_RDATE_PROPERTY) + 1;
        // Before the walk over the rules: each get_first restarts the walk.
        icalproperty* start = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY);
        const int from = start ? icalproperty_get_dtstart(start).year : 0;
        for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype rule = icalproperty_get_rrule(p);
            if (rule.freq != ICAL_YEARLY_RECURRENCE || !someDayMatches(rule))
                return kMaxZoneChanges + 1;
            const qint64 years = std::clamp(kZoneCoverageYear - from, 1, 10000);
            total += years * changesPerYear(rule);
        }
        if (total > kMaxZoneChanges)
            break;
    }
    return total;
}

} // namespace

RuleShape shapeOf(const icalrecurrencetype& r) {
    const bool subDaily = r.freq == ICAL_SECONDLY_RECURRENCE ||
                          r.freq == ICAL_MINUTELY_RECURRENCE || r.freq == ICAL_HOURLY_RECURRENCE;
    if (subDaily) {
        // libical steps second by second (or minute by minute) looking for
        // a match: only filters of the time of day, with real values, keep
        // each step within a day.
        auto inRange = [](const short* values, int size, int limit) {
            for (int i = 0; i < size && values[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
                if (values[i] < 0 || values[i] >= limit)
                    return false;
            }
            return true;
        };
        if (!listEmpty(r.by_day) || !listEmpty(r.by_month_day) || !listEmpty(r.by_year_day) ||
            !listEmpty(r.by_week_no) || !listEmpty(r.by_month) || !listEmpty(r.by_set_pos) ||
            !inRange(r.by_second, ICAL_BY_SECOND_SIZE, 60) ||
            !inRange(r.by_minute, ICAL_BY_MINUTE_SIZE, 60) ||
            !inRange(r.by_hour, ICAL_BY_HOUR_SIZE, 24))
            return RuleShape::TooComplex;
        return RuleShape::Fine;
    }
    return someDayMatches(r) ? RuleShape::Fine : RuleShape::Never;
}

QStringList removeCostlyZones(icalcomponent* calendar) {
    QStringList removed;
    std::vector<icalcomponent*> costly;
    qint64 all = 0;
    for (icalcomponent* zone =
             icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT);
         zone; zone = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
        const qint64 changes = zoneChanges(zone);
        if (changes > kMaxZoneChanges || all + changes > kMaxAllZoneChanges) {
            costly.push_back(zone);
            icalproperty* tzid = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
            const char* id = tzid ? icalproperty_get_tzid(tzid) : nullptr;
            removed << QString::fromUtf8(id ? id : "");
        } else {
            all += changes;
        }
    }
    for (icalcomponent* zone : costly) {
        icalcomponent_remove_component(calendar, zone);
        icalcomponent_free(zone);
    }
    return removed;
}

} // namespace tanzo::ics
