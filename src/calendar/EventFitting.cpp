#include "EventFitting.h"

#include "EventAlarms.h"
#include "EventTimes.h"
#include "IcsEventFields.h"
#include "platform/Cp932.h"

#include <QByteArrayView>
#include <QHash>

namespace tanzo::ics {
namespace {

constexpr int kWindowDays = 7;
// Expanding one event's rule stops after this long or this many steps
// (ICAL_BY lists and FREQ=SECONDLY make millions of steps), and all of
// them after the whole-file bound: a real calendar needs a small part.
constexpr int kEventExpansionMs = 250;
constexpr int kEventExpansionSteps = 100000;

const QString kNotCp932 = QStringLiteral("シフトJISで表せない文字を含みます");
const QString kUnknownZone = QStringLiteral("時間帯（TZID）が分かりません");
const QString kNoTitle = QStringLiteral("行先も件名もありません");
const QString kMalformed = QStringLiteral("開始日時が正しくありません");
const QString kCut = QStringLiteral("繰り返しが多すぎるため、上限で展開を打ち切りました");
const QString kTooComplex = QStringLiteral("繰り返しの規則が複雑すぎるため、展開しませんでした");

class CalendarFitting {
public:
    CalendarFitting(icalcomponent* calendar, const QDate& today, QSet<QString>& seen,
                    const QDeadlineTimer& fileDeadline, IcsImportResult& result,
                    const std::atomic_bool* cancel, IcsTarget target)
        : m_calendar(calendar), m_first(today), m_last(today.addDays(kWindowDays - 1)),
          m_seen(seen), m_fileDeadline(fileDeadline), m_result(result), m_cancel(cancel),
          m_target(target) {}

    void run(const QByteArray& text, const CalendarText& calendar) {
        m_result.costlyZones << ics::removeCostlyZones(m_calendar);
        // Occurrences that a RECURRENCE-ID event replaces (moved, changed or
        // cancelled) are not taken from the rule. Only those near the seven
        // days can matter.
        for (const auto& [offset, length] : calendar.events) {
            if (QByteArrayView(text).sliced(offset, length).indexOf("RECURRENCE-ID") < 0)
                continue;
            const CalendarPtr e = parseEvent(text, offset, length);
            icalproperty* rid =
                e ? icalcomponent_get_first_property(e.get(), ICAL_RECURRENCEID_PROPERTY) : nullptr;
            if (!rid)
                continue;
            const icaltimetype value = icalproperty_get_recurrenceid(rid);
            const QDate day(value.year, value.month, value.day);
            if (day >= m_first.addDays(-2) && day <= m_last.addDays(2))
                m_replaced[uidOf(e.get())].push_back(
                    ics::toLocal(value, ics::basisOf(rid, value, m_calendar, startBasis(e.get()))));
        }
        for (const auto& [offset, length] : calendar.events) {
            if (m_cancel && m_cancel->load()) {
                m_result.cancelled = true;
                return;
            }
            const CalendarPtr e = parseEvent(text, offset, length);
            if (e && !cancelled(e.get()))
                takeEvent(e.get());
        }
    }

private:
    ics::TimeBasis startBasis(icalcomponent* event) const {
        icalproperty* p = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
        if (!p)
            return {};
        return ics::basisOf(p, icalproperty_get_dtstart(p), m_calendar);
    }

    // Whether an event that cannot be placed in time may still have fallen
    // in the seven days: a series, or one that starts near them.
    bool mayConcernWindow(icalcomponent* event, const QDate& start) const {
        if (icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
            icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY))
            return !start.isValid() || start <= m_last.addDays(1);
        return !start.isValid() || (start >= m_first.addDays(-1) && start <= m_last.addDays(1));
    }

    void takeEvent(icalcomponent* event) {
        const bool isOverride =
            icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) != nullptr;
        const QString summary = textOf(event, ICAL_SUMMARY_PROPERTY, m_target);
        icalproperty* startProperty =
            icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
        const icaltimetype start =
            startProperty ? icalproperty_get_dtstart(startProperty) : icaltime_null_time();
        const QDate startDate(start.year, start.month, start.day);
        const QTime startTime =
            QTime::isValid(start.hour, start.minute, 0) ? QTime(start.hour, start.minute) : QTime();
        if (!startProperty || icaltime_is_null_time(start) || !ics::wellFormed(start)) {
            if (mayConcernWindow(event, startDate))
                leaveOut(m_result, {startDate, startTime, summary, kMalformed});
            return;
        }
        const ics::TimeBasis basis = startBasis(event);
        if (basis.kind == ics::TimeBasis::Kind::Unknown) {
            if (mayConcernWindow(event, startDate))
                leaveOut(m_result, {startDate, startTime, summary, kUnknownZone});
            return;
        }
        ics::ExpansionBound bound;
        bound.maxSteps = kEventExpansionSteps;
        bound.deadline = std::min(QDeadlineTimer(kEventExpansionMs), m_fileDeadline);
        // A subscription shows each day of an all-day event, so one begun
        // before today is looked for too.
        const int span =
            start.is_date && m_target == IcsTarget::Subscription ? allDaySpan(event, start) : 1;
        const ics::Expansion expansion =
            ics::occurrences(event, m_calendar, basis, m_first.addDays(1 - span), m_last, bound);
        if (expansion.cut)
            leaveOut(m_result, {startDate, startTime, summary, kCut});
        if (expansion.tooComplex)
            leaveOut(m_result, {startDate, startTime, summary, kTooComplex});
        const QList<QDateTime> replaced =
            isOverride ? QList<QDateTime>{} : m_replaced.value(uidOf(event));
        std::vector<QDateTime> timed;
        for (const ics::Occurrence& o : expansion.found) {
            if (replaced.contains(o.local))
                continue;
            if (!o.value.is_date)
                timed.push_back(o.local);
            else if (m_target == IcsTarget::DataFile)
                ++m_result.allDay;
            else
                addAllDay(event, summary, QDate(o.value.year, o.value.month, o.value.day), span);
        }
        addTimed(event, summary, basis, timed);
    }

    // An appointment for each of the event's timed occurrences.
    void addTimed(icalcomponent* event, const QString& summary, const ics::TimeBasis& basis,
                  const std::vector<QDateTime>& timed) {
        if (timed.empty())
            return;
        // The reminders are worked out here, once, so that the clock only
        // compares times.
        std::vector<std::vector<qint64>> reminders(timed.size());
        QString description;
        if (m_target == IcsTarget::Subscription) {
            reminders = ics::remindersOf(ics::alarmTriggers(event, m_calendar, basis), timed,
                                         ics::lengthOf(event, m_calendar, basis));
            description = descriptionOf(event);
        }
        for (size_t i = 0; i < timed.size(); ++i)
            addAppointment(event, summary, timed[i], {description, std::move(reminders[i])});
    }

    // The place and comment of an event, as readIcs describes; both empty
    // when the event has neither LOCATION nor SUMMARY.
    std::pair<QString, QString> placeAndComment(icalcomponent* event, const QString& summary) {
        const QString location = textOf(event, ICAL_LOCATION_PROPERTY, m_target);
        const QByteArray mark = ownMark(event);
        QString place;
        QString comment;
        if (!mark.isEmpty() && !location.isEmpty()) {
            // Our own export: LOCATION is the place and SUMMARY the comment,
            // or the place again when there was none.
            place = location;
            comment = mark == kOwnEventWithoutComment ? QString() : summary;
        } else {
            // The data file needs a place; a subscribed event without one
            // shows none rather than its summary twice.
            place = location.isEmpty() && m_target == IcsTarget::DataFile ? summary : location;
            comment = summary;
            const QString head = leftWhole(location, PlaceLength);
            if (head.size() < location.size()) {
                const QString rest = trimSpaces(location.mid(head.size()));
                comment = comment.isEmpty() ? rest : comment + QLatin1Char(' ') + rest;
            }
        }
        return {trimSpaces(leftWhole(place, PlaceLength)), comment};
    }

    // Twice the same in the file: for a subscription, whose events may
    // have no place, the comment counts too.
    QString seenKey(const ScheduleEntry& entry) const {
        return m_target == IcsTarget::DataFile
                   ? duplicateKey(entry)
                   : duplicateKey(entry) + QLatin1Char('|') + entry.comment;
    }

    // One row for each day of the event in the seven days, at 00:00.
    void addAllDay(icalcomponent* event, const QString& summary, const QDate& start, int span) {
        const auto [place, comment] = placeAndComment(event, summary);
        if (place.isEmpty() && comment.isEmpty()) {
            leaveOut(m_result, {start, QTime(), summary, kNoTitle});
            return;
        }
        const QString description = descriptionOf(event);
        for (int d = 0; d < span; ++d) {
            const QDate day = start.addDays(d);
            if (day < m_first || day > m_last)
                continue;
            ScheduleEntry entry;
            entry.dateSerial = daySerial(day);
            entry.status = statusFromPriority(event);
            entry.place = fitPlace(place);
            entry.comment = comment;
            const QString key = QStringLiteral("allday|") + seenKey(entry);
            if (m_seen.contains(key)) {
                ++m_result.duplicates;
                continue;
            }
            m_seen.insert(key);
            m_result.allDayEntries.push_back(entry);
            m_result.allDayDetails.push_back({description, {}});
        }
    }

    void addAppointment(icalcomponent* event, const QString& summary, const QDateTime& start,
                        AppointmentDetails details) {
        const QTime time(start.time().hour(), start.time().minute());
        const auto [place, comment] = placeAndComment(event, summary);
        if (place.isEmpty() && comment.isEmpty()) {
            leaveOut(m_result, {start.date(), time, summary, kNoTitle});
            return;
        }
        if (m_target == IcsTarget::DataFile &&
            (!cp932::encodable(place) || !cp932::encodable(comment))) {
            leaveOut(m_result,
                     {start.date(), time, summary.isEmpty() ? place : summary, kNotCp932});
            return;
        }
        ScheduleEntry entry;
        entry.dateSerial = daySerial(start.date());
        entry.startTime = timeFraction(time.hour(), time.minute());
        entry.status = statusFromPriority(event);
        entry.place = fitPlace(place);
        entry.comment = comment;
        const QString key = seenKey(entry);
        if (m_seen.contains(key)) {
            ++m_result.duplicates;
            return;
        }
        // No list holds more, and a file of minutely rules would otherwise
        // make millions.
        if (static_cast<int>(m_result.entries.size()) >= MaxDayListEntries) {
            ++m_result.overLimit;
            return;
        }
        m_seen.insert(key);
        m_result.entries.push_back(entry);
        if (m_target == IcsTarget::Subscription)
            m_result.entryDetails.push_back(std::move(details));
    }

    icalcomponent* m_calendar;
    QDate m_first;
    QDate m_last;
    QSet<QString>& m_seen;
    QDeadlineTimer m_fileDeadline;
    IcsImportResult& m_result;
    const std::atomic_bool* m_cancel;
    IcsTarget m_target;
    QHash<QString, QList<QDateTime>> m_replaced;
};

} // namespace

void fitCalendar(icalcomponent* skeleton, const QByteArray& text, const CalendarText& calendar,
                 const QDate& today, QSet<QString>& seen, const QDeadlineTimer& fileDeadline,
                 IcsImportResult& result, const std::atomic_bool* cancel, IcsTarget target) {
    CalendarFitting(skeleton, today, seen, fileDeadline, result, cancel, target)
        .run(text, calendar);
}

QString duplicateKey(const ScheduleEntry& e) {
    const HourMinute hm = e.startHourMinute();
    return QStringLiteral("%1|%2|%3")
        .arg(e.date().toJulianDay())
        .arg(hm.hour * 60 + hm.minute)
        .arg(trimSpaces(e.place));
}

} // namespace tanzo::ics
