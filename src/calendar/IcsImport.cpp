#include "IcsImport.h"

#include "EventTimes.h"
#include "platform/Cp932.h"

#include <QHash>
#include <QSet>

#include <memory>

namespace tanzo {
namespace {

constexpr int kWindowDays = 7;

const QString kNotCp932 = QStringLiteral("シフトJISで表せない文字を含みます");
const QString kUnknownZone = QStringLiteral("時間帯（TZID）が分かりません");
const QString kNoTitle = QStringLiteral("行先も件名もありません");

struct CalendarDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using CalendarPtr = std::unique_ptr<icalcomponent, CalendarDeleter>;

// SUMMARY or LOCATION with its escapes undone, on one line.
QString textOf(icalcomponent* event, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(event, kind);
    if (!p)
        return {};
    const char* text =
        kind == ICAL_SUMMARY_PROPERTY ? icalproperty_get_summary(p) : icalproperty_get_location(p);
    QString s = QString::fromUtf8(text ? text : "");
    // simplified() turns line ends and tabs into single spaces.
    return s.simplified();
}

int16_t statusFromPriority(icalcomponent* event) {
    icalproperty* p = icalcomponent_get_first_property(event, ICAL_PRIORITY_PROPERTY);
    const int priority = p ? icalproperty_get_priority(p) : 0;
    if (priority >= 1 && priority <= 4)
        return 1;
    if (priority == 5)
        return 2;
    return 3;
}

bool cancelled(icalcomponent* event) {
    return icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED;
}

QString uidOf(icalcomponent* event) {
    const char* uid = icalcomponent_get_uid(event);
    return uid ? QString::fromUtf8(uid) : QString();
}

// Appointments are the same when date, start and place agree.
QString duplicateKey(const ScheduleEntry& e) {
    const HourMinute hm = e.startHourMinute();
    return QStringLiteral("%1|%2|%3")
        .arg(e.date().toJulianDay())
        .arg(hm.hour * 60 + hm.minute)
        .arg(trimSpaces(e.place));
}

icalcomponent* findCalendar(icalcomponent* root) {
    if (!root)
        return nullptr;
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT)
        return root;
    return icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
}

class Importer {
public:
    Importer(icalcomponent* calendar, const QDate& today,
             const std::vector<ScheduleEntry>& existing, IcsImportResult& result)
        : m_calendar(calendar), m_first(today), m_last(today.addDays(kWindowDays - 1)),
          m_result(result) {
        for (const ScheduleEntry& e : existing) {
            if (e.dateSerial > 0)
                m_seen.insert(duplicateKey(e));
        }
    }

    void run() {
        std::vector<icalcomponent*> events;
        for (icalcomponent* e =
                 icalcomponent_get_first_component(m_calendar, ICAL_VEVENT_COMPONENT);
             e; e = icalcomponent_get_next_component(m_calendar, ICAL_VEVENT_COMPONENT))
            events.push_back(e);
        // Occurrences that a RECURRENCE-ID event replaces (moved, changed or
        // cancelled) are not taken from the rule.
        for (icalcomponent* e : events) {
            if (icalproperty* rid =
                    icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY)) {
                const icaltimetype value = icalproperty_get_recurrenceid(rid);
                m_replaced[uidOf(e)].push_back(
                    ics::toLocal(value, ics::basisOf(rid, value, m_calendar, startBasis(e))));
            }
        }
        for (icalcomponent* e : events) {
            if (!cancelled(e))
                takeEvent(e);
        }
    }

private:
    ics::TimeBasis startBasis(icalcomponent* event) const {
        icalproperty* p = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
        if (!p)
            return {};
        return ics::basisOf(p, icalproperty_get_dtstart(p), m_calendar);
    }

    void takeEvent(icalcomponent* event) {
        const bool isOverride =
            icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) != nullptr;
        const QString summary = textOf(event, ICAL_SUMMARY_PROPERTY);
        const ics::TimeBasis basis = startBasis(event);
        if (basis.kind == ics::TimeBasis::Kind::Unknown) {
            icalproperty* p = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
            const icaltimetype t = icalproperty_get_dtstart(p);
            const QDate date(t.year, t.month, t.day);
            if (date >= m_first.addDays(-1) && date <= m_last.addDays(1))
                m_result.leftOut.push_back({date, QTime(t.hour, t.minute), summary, kUnknownZone});
            return;
        }
        const QList<QDateTime> replaced =
            isOverride ? QList<QDateTime>{} : m_replaced.value(uidOf(event));
        for (const ics::Occurrence& o :
             ics::occurrences(event, m_calendar, basis, m_first, m_last)) {
            if (replaced.contains(o.local))
                continue;
            if (o.value.is_date) {
                ++m_result.allDay;
                continue;
            }
            addAppointment(event, summary, o.local);
        }
    }

    void addAppointment(icalcomponent* event, const QString& summary, const QDateTime& start) {
        const QString location = textOf(event, ICAL_LOCATION_PROPERTY);
        const QTime time(start.time().hour(), start.time().minute());
        const QString source = location.isEmpty() ? summary : location;
        if (source.isEmpty()) {
            m_result.leftOut.push_back({start.date(), time, summary, kNoTitle});
            return;
        }
        QString comment = summary;
        if (!location.isEmpty() && location.size() > PlaceLength) {
            const QString rest = location.mid(PlaceLength).trimmed();
            comment = comment.isEmpty() ? rest : comment + QLatin1Char(' ') + rest;
        }
        const QString place = source.left(PlaceLength).trimmed();
        if (!cp932::encodable(place) || !cp932::encodable(comment)) {
            m_result.leftOut.push_back(
                {start.date(), time, summary.isEmpty() ? source : summary, kNotCp932});
            return;
        }
        ScheduleEntry entry;
        entry.dateSerial = daySerial(start.date());
        entry.startTime = timeFraction(time.hour(), time.minute());
        entry.status = statusFromPriority(event);
        entry.place = fitPlace(place);
        entry.comment = comment;
        const QString key = duplicateKey(entry);
        if (m_seen.contains(key)) {
            ++m_result.duplicates;
            return;
        }
        m_seen.insert(key);
        m_result.entries.push_back(entry);
    }

    icalcomponent* m_calendar;
    QDate m_first;
    QDate m_last;
    IcsImportResult& m_result;
    QSet<QString> m_seen;
    QHash<QString, QList<QDateTime>> m_replaced;
};

} // namespace

IcsImportResult importIcs(const QByteArray& bytes, const QDate& today,
                          const std::vector<ScheduleEntry>& existing) {
    IcsImportResult result;
    // A damaged file must give a message, never end the program.
    icalerror_set_errors_are_fatal(0);
    CalendarPtr root(icalparser_parse_string(bytes.constData()));
    icalcomponent* calendar = findCalendar(root.get());
    if (!calendar)
        return result;
    result.isCalendar = true;
    Importer(calendar, today, existing, result).run();
    std::stable_sort(result.entries.begin(), result.entries.end(),
                     [](const ScheduleEntry& a, const ScheduleEntry& b) {
                         return a.dateSerial != b.dateSerial ? a.dateSerial < b.dateSerial
                                                             : a.startTime < b.startTime;
                     });
    return result;
}

QString describeImport(const IcsImportResult& result) {
    QStringList lines;
    lines << QStringLiteral("%1件の予定を取り込みました。").arg(result.entries.size());
    if (result.duplicates > 0)
        lines << QStringLiteral("登録済みの予定と同じ%1件は追加していません。")
                     .arg(result.duplicates);
    if (result.allDay > 0)
        lines << QStringLiteral("終日の予定%1件は開始時刻がないため取り込んでいません。")
                     .arg(result.allDay);
    if (!result.leftOut.empty()) {
        lines << QStringLiteral("次の%1件は取り込めませんでした。").arg(result.leftOut.size());
        for (const LeftOutEvent& e : result.leftOut)
            lines << QStringLiteral("  %1 %2 %3：%4")
                         .arg(e.date.toString(QStringLiteral("yyyy/MM/dd")),
                              e.time.toString(QStringLiteral("HH:mm")), e.title, e.reason);
    }
    return lines.join(QLatin1Char('\n'));
}

QString notCalendarMessage(const QString& fileName) {
    return QStringLiteral("%1 はiCalendar形式のファイルではありません。").arg(fileName);
}

} // namespace tanzo
