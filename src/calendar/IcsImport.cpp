#include "IcsImport.h"

#include "EventAlarms.h"
#include "EventTimes.h"
#include "platform/Cp932.h"

#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QHash>
#include <QSet>
#include <QTextBoundaryFinder>

#include <memory>
#include <numeric>

namespace tanzo {
namespace {

constexpr int kWindowDays = 7;
// Expanding one event's rule stops after this long or this many steps
// (ICAL_BY lists and FREQ=SECONDLY make millions of steps), and all of
// them after the whole-file bound: a real calendar needs a small part.
constexpr int kEventExpansionMs = 250;
constexpr int kEventExpansionSteps = 100000;
constexpr int kFileExpansionMs = 10000;
// The message lists this many of the left-out events.
constexpr int kShownLeftOut = 50;
// An all-day event longer than this shows on no more days than this.
constexpr int kMaxAllDaySpan = 366;

const QString kNotCp932 = QStringLiteral("シフトJISで表せない文字を含みます");
const QString kUnknownZone = QStringLiteral("時間帯（TZID）が分かりません");
const QString kNoTitle = QStringLiteral("行先も件名もありません");
const QString kMalformed = QStringLiteral("開始日時が正しくありません");
const QString kCut = QStringLiteral("繰り返しが多すぎるため、上限で展開を打ち切りました");
const QString kTooComplex = QStringLiteral("繰り返しの規則が複雑すぎるため、展開しませんでした");

struct CalendarDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using CalendarPtr = std::unique_ptr<icalcomponent, CalendarDeleter>;

// Text on one line, without control characters, every other character
// kept (the joiners of emoji sequences too).
QString oneLine(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            out.append(QLatin1Char(' '));
        else if (c.category() != QChar::Other_Control)
            out.append(c);
    }
    return out;
}

// SUMMARY or LOCATION with its escapes undone, on one line, inner spaces
// kept: as the data file can hold it, or every character for a
// subscription.
QString textOf(icalcomponent* event, icalproperty_kind kind, IcsTarget target) {
    icalproperty* p = icalcomponent_get_first_property(event, kind);
    if (!p)
        return {};
    const char* text =
        kind == ICAL_SUMMARY_PROPERTY ? icalproperty_get_summary(p) : icalproperty_get_location(p);
    const QString value = QString::fromUtf8(text ? text : "");
    return trimSpaces(target == IcsTarget::DataFile ? cp932::storable(value) : oneLine(value));
}

// The first lines of DESCRIPTION that hold text, each cut between whole
// characters; a line "…" stands for what was left out.
QString descriptionOf(icalcomponent* event) {
    icalproperty* p = icalcomponent_get_first_property(event, ICAL_DESCRIPTION_PROPERTY);
    const char* text = p ? icalproperty_get_description(p) : nullptr;
    if (!text)
        return {};
    const QString value = QString::fromUtf8(text, qstrnlen(text, kMaxIcsLineBytes));
    QStringList lines;
    bool more = false;
    for (const QString& line : value.split(QLatin1Char('\n'))) {
        const QString kept = trimSpaces(oneLine(line));
        if (kept.isEmpty())
            continue;
        if (lines.size() == kDescriptionLines) {
            more = true;
            break;
        }
        const QString head = leftWhole(kept, kDescriptionLineLength);
        lines << (head.size() < kept.size() ? head + QStringLiteral("…") : head);
    }
    if (more)
        lines << QStringLiteral("…");
    return lines.join(QLatin1Char('\n'));
}

// The days an all-day event covers: DTEND or DURATION, at least one.
int allDaySpan(icalcomponent* event, const icaltimetype& start) {
    const icaltimetype end = icalcomponent_get_dtend(event);
    if (icaltime_is_null_time(end) || !end.is_date || !ics::wellFormed(end))
        return 1;
    const qint64 days =
        QDate(start.year, start.month, start.day).daysTo(QDate(end.year, end.month, end.day));
    return static_cast<int>(std::clamp<qint64>(days, 1, kMaxAllDaySpan));
}

// The value of our own export's mark; empty for other programs' events.
QByteArray ownMark(icalcomponent* event) {
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* name = icalproperty_get_x_name(p);
        if (name && qstrcmp(name, kOwnEventProperty) == 0) {
            const char* value = icalproperty_get_x(p);
            return QByteArray(value ? value : "");
        }
    }
    return {};
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

// One VCALENDAR of the file: its own lines with the events left out (the
// skeleton, which holds the VTIMEZONEs), and where each VEVENT's lines are.
// libical holds a parsed event in some kilobytes, so a file of a million
// small events parsed whole would take gigabytes; parsed one at a time,
// only the file's text and one event are held.
struct CalendarText {
    QByteArray skeleton;
    std::vector<std::pair<qsizetype, qsizetype>> events; // offset, length
};

std::vector<CalendarText> splitCalendars(const QByteArray& text) {
    std::vector<CalendarText> calendars;
    bool inCalendar = false;
    qsizetype eventStart = -1;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf('\n', from);
        end = end < 0 ? text.size() : end + 1;
        const QByteArray line = text.mid(from, end - from).trimmed();
        if (!inCalendar) {
            if (line.compare("BEGIN:VCALENDAR", Qt::CaseInsensitive) == 0) {
                inCalendar = true;
                calendars.emplace_back();
                calendars.back().skeleton = line + "\r\n";
            }
        } else if (eventStart >= 0) {
            if (line.compare("END:VEVENT", Qt::CaseInsensitive) == 0) {
                calendars.back().events.emplace_back(eventStart, end - eventStart);
                eventStart = -1;
            }
        } else if (line.compare("BEGIN:VEVENT", Qt::CaseInsensitive) == 0) {
            eventStart = from;
        } else {
            calendars.back().skeleton += text.mid(from, end - from);
            if (line.compare("END:VCALENDAR", Qt::CaseInsensitive) == 0)
                inCalendar = false;
        }
        from = end;
    }
    return calendars;
}

// The file as UTF-8 text for libical: UTF-8 as it is, or Shift_JIS (as
// some older programs write) converted.
std::optional<QByteArray> utf8Text(const QByteArray& bytes, bool* converted) {
    *converted = false;
    if (QByteArrayView(bytes).isValidUtf8())
        return bytes;
    *converted = true;
    return cp932::toUtf8(bytes);
}

qsizetype longestLine(const QByteArray& bytes) {
    qsizetype longest = 0;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0)
            end = bytes.size();
        longest = std::max(longest, end - from);
        from = end + 1;
    }
    return longest;
}

// BEGIN and END lines must pair up within kMaxIcsNesting levels: libical
// writes a line to the terminal for each END it finds without its BEGIN
// (and for each component left open), and reads nothing of a file cut by
// a NUL byte, where its strings end.
IcsImportResult::Refusal brokenStructure(const QByteArray& text) {
    if (text.contains('\0'))
        return IcsImportResult::Refusal::NulByte;
    QList<QByteArray> open;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf('\n', from);
        end = end < 0 ? text.size() : end + 1;
        const QByteArray line = text.mid(from, end - from).trimmed().toUpper();
        from = end;
        if (line.startsWith("BEGIN:")) {
            if (open.size() >= kMaxIcsNesting)
                return IcsImportResult::Refusal::TooDeep;
            open.append(line.mid(6).trimmed());
        } else if (line.startsWith("END:")) {
            if (open.isEmpty() || open.takeLast() != line.mid(4).trimmed())
                return IcsImportResult::Refusal::Unbalanced;
        }
    }
    return open.isEmpty() ? IcsImportResult::Refusal::None : IcsImportResult::Refusal::Unbalanced;
}

CalendarPtr parseEvent(const QByteArray& text, qsizetype offset, qsizetype length) {
    const QByteArray lines = text.mid(offset, length);
    CalendarPtr event(icalparser_parse_string(lines.constData()));
    if (event && icalcomponent_isa(event.get()) != ICAL_VEVENT_COMPONENT)
        return nullptr;
    return event;
}

class Importer {
public:
    Importer(icalcomponent* calendar, const QDate& today, QSet<QString>& seen,
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

// Orders the entries by start, and their details (when there are) with them.
void sortByStart(std::vector<ScheduleEntry>& entries, std::vector<AppointmentDetails>& details) {
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const ScheduleEntry& x = entries[a];
        const ScheduleEntry& y = entries[b];
        return x.dateSerial != y.dateSerial ? x.dateSerial < y.dateSerial
                                            : x.startTime < y.startTime;
    });
    const bool withDetails = details.size() == entries.size();
    std::vector<ScheduleEntry> sorted;
    std::vector<AppointmentDetails> sortedDetails;
    sorted.reserve(entries.size());
    for (const size_t i : order) {
        sorted.push_back(std::move(entries[i]));
        if (withDetails)
            sortedDetails.push_back(std::move(details[i]));
    }
    entries = std::move(sorted);
    if (withDetails)
        details = std::move(sortedDetails);
}

} // namespace

IcsImportResult readIcs(const QByteArray& bytes, const QDate& today, const std::atomic_bool* cancel,
                        IcsTarget target) {
    IcsImportResult result;
    if (bytes.size() > kMaxIcsBytes) {
        result.refusal = IcsImportResult::Refusal::TooLarge;
        return result;
    }
    if (longestLine(bytes) > kMaxIcsLineBytes) {
        result.refusal = IcsImportResult::Refusal::LongLine;
        return result;
    }
    const std::optional<QByteArray> text = utf8Text(bytes, &result.fromShiftJis);
    if (!text) {
        if (bytes.contains("BEGIN:VCALENDAR"))
            result.refusal = IcsImportResult::Refusal::Encoding;
        return result;
    }
    // Only a file that looks like a calendar is judged on its structure.
    if (text->contains("BEGIN:VCALENDAR")) {
        result.refusal = brokenStructure(*text);
        if (result.refusal != IcsImportResult::Refusal::None)
            return result;
        result.refusal = IcsImportResult::Refusal::NotCalendar;
    }
    // A damaged file must give a message, never end the program.
    icalerror_set_errors_are_fatal(0);
    QSet<QString> seen;
    const QDeadlineTimer fileDeadline(kFileExpansionMs);
    for (const CalendarText& calendar : splitCalendars(*text)) {
        const CalendarPtr skeleton(icalparser_parse_string(calendar.skeleton.constData()));
        if (!skeleton || icalcomponent_isa(skeleton.get()) != ICAL_VCALENDAR_COMPONENT)
            continue;
        result.refusal = IcsImportResult::Refusal::None;
        result.isCalendar = true;
        Importer(skeleton.get(), today, seen, fileDeadline, result, cancel, target)
            .run(*text, calendar);
        ++result.calendars;
        if (result.cancelled)
            break;
    }
    sortByStart(result.entries, result.entryDetails);
    sortByStart(result.allDayEntries, result.allDayDetails);
    return result;
}

void admitImport(IcsImportResult& result, const std::vector<ScheduleEntry>& existing) {
    QSet<QString> seen;
    int held = 0;
    for (const ScheduleEntry& e : existing) {
        if (e.dateSerial > 0) {
            seen.insert(duplicateKey(e));
            ++held;
        }
    }
    std::vector<ScheduleEntry> admitted;
    const int room = std::max(0, MaxDayListEntries - held);
    for (ScheduleEntry& e : result.entries) {
        if (seen.contains(duplicateKey(e)))
            ++result.duplicates;
        else if (static_cast<int>(admitted.size()) >= room)
            ++result.overLimit;
        else
            admitted.push_back(std::move(e));
    }
    result.entries = std::move(admitted);
}

IcsImportResult importIcs(const QByteArray& bytes, const QDate& today,
                          const std::vector<ScheduleEntry>& existing) {
    IcsImportResult result = readIcs(bytes, today);
    admitImport(result, existing);
    return result;
}

QString describeImport(const IcsImportResult& result) {
    QStringList lines;
    if (result.cancelled)
        lines << QStringLiteral("取込を途中で取り消しました。");
    lines << QStringLiteral("%1件の予定を取り込みました。").arg(result.entries.size());
    if (result.calendars > 1)
        lines << QStringLiteral("ファイル内の%1個のカレンダーを読みました。").arg(result.calendars);
    if (result.fromShiftJis)
        lines << QStringLiteral("ファイルはシフトJISとして読みました。");
    if (result.duplicates > 0)
        lines << QStringLiteral("登録済みの予定と同じ%1件は追加していません。")
                     .arg(result.duplicates);
    if (result.overLimit > 0)
        lines << QStringLiteral("予定は%1件までのため、残りの%2件は取り込んでいません。")
                     .arg(MaxDayListEntries)
                     .arg(result.overLimit);
    if (result.allDay > 0)
        lines << QStringLiteral("終日の予定%1件は開始時刻がないため取り込んでいません。")
                     .arg(result.allDay);
    for (const QString& zone : result.costlyZones)
        lines << QStringLiteral("時間帯 %1 の定義は変化が多すぎるため使いませんでした。")
                     .arg(cp932::storable(zone));
    const int leftOut = static_cast<int>(result.leftOut.size()) + result.leftOutUnlisted;
    if (leftOut > 0) {
        lines << QStringLiteral("次の%1件は取り込めませんでした。").arg(leftOut);
        int shown = 0;
        for (const LeftOutEvent& e : result.leftOut) {
            if (++shown > kShownLeftOut)
                break;
            lines << QStringLiteral("  %1 %2 %3：%4")
                         .arg(e.date.isValid() ? e.date.toString(QStringLiteral("yyyy/MM/dd"))
                                               : QStringLiteral("----/--/--"),
                              e.time.isValid() ? e.time.toString(QStringLiteral("HH:mm"))
                                               : QStringLiteral("--:--"),
                              cp932::storable(e.title), e.reason);
        }
        if (leftOut > kShownLeftOut)
            lines << QStringLiteral("  ほか%1件").arg(leftOut - kShownLeftOut);
    }
    return lines.join(QLatin1Char('\n'));
}

QString tooLargeMessage(const QString& fileName) {
    return QStringLiteral("%1 は大きすぎます（%2MBまでのファイルを取り込めます）。")
        .arg(fileName)
        .arg(kMaxIcsBytes / (1024 * 1024));
}

QString refusalMessage(const IcsImportResult& result, const QString& fileName) {
    switch (result.refusal) {
    case IcsImportResult::Refusal::TooLarge:
        return tooLargeMessage(fileName);
    case IcsImportResult::Refusal::LongLine:
        return QStringLiteral("%1 には%2KBを超える長い行があるため、読み込めません。")
            .arg(fileName)
            .arg(kMaxIcsLineBytes / 1024);
    case IcsImportResult::Refusal::Encoding:
        return QStringLiteral("%1 の文字コードはUTF-8でもシフトJISでもないため、読み込めません。")
            .arg(fileName);
    case IcsImportResult::Refusal::NulByte:
        return QStringLiteral("%1 にはNUL文字（0x00）が含まれているため、読み込めません。")
            .arg(fileName);
    case IcsImportResult::Refusal::TooDeep:
        return QStringLiteral("%1 は入れ子が%2段より深いため、読み込めません。")
            .arg(fileName)
            .arg(kMaxIcsNesting);
    case IcsImportResult::Refusal::Unbalanced:
        return QStringLiteral("%1 はBEGINとENDの対応が崩れているため、読み込めません。")
            .arg(fileName);
    case IcsImportResult::Refusal::NotCalendar:
    case IcsImportResult::Refusal::None:
        break;
    }
    return QStringLiteral("%1 はiCalendar形式のファイルではありません。").arg(fileName);
}

} // namespace tanzo
