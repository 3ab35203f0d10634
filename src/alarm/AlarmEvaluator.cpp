#include "AlarmEvaluator.h"

#include <QDateTime>

#include <cmath>

namespace tanzo {
namespace {

constexpr int kMinutesPerDay = 24 * 60;

// Seconds since midnight of a start time kept as a fraction of a day,
// rounded to the whole second so that 10:00 does not read as 09:59:59.
int startSecondOfDay(float fraction) {
    double dayPart = fraction;
    if (dayPart < 0 || dayPart >= 1) // stored times are fractions of one day
        dayPart -= std::floor(dayPart);
    const long seconds = std::lround(dayPart * 86400.0);
    return seconds >= 86400 ? 86399 : static_cast<int>(seconds);
}

} // namespace

std::vector<DueNotice> dueNotices(const DayList& list, const Settings& settings, const QDate& today,
                                  const QTime& now) {
    const int nowSecond = now.msecsSinceStartOfDay() / 1000;
    const int nowMinute = now.hour() * 60 + now.minute();

    // The advance mark is the clock minute PreAlarmMinute ahead. Past
    // midnight it would lie on the next day, whose entries are never looked
    // at here, so it matches nothing.
    const int advanceMark = nowMinute + settings.preAlarmMinute;

    // Entries that started before the skip mark are settled silently. Kept
    // on the minutes of today rather than wrapped around the clock: shortly
    // after midnight a wrapped mark (23:5x) would lie after every entry of
    // the new day and swallow even the notice of the entry starting now.
    const int skipMark = nowMinute - settings.alarmSkipMinute;

    // Entry dates are day serials; compare them with today's range instead of
    // building a QDate per entry (this runs every second over the whole list).
    const float dayBegin = daySerial(today);
    const float dayEnd = dayBegin + 1;

    std::vector<DueNotice> due;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ScheduleEntry& entry = list[i];
        if (entry.arrived && entry.preNoticed)
            continue;
        if (entry.dateSerial < dayBegin || entry.dateSerial >= dayEnd)
            continue;

        const int startSecond = startSecondOfDay(entry.startTime);
        const int startMinute = startSecond / 60;

        if (nowSecond >= startSecond) {
            int kind = StartNotice;
            if (settings.alarmSkip && startMinute < skipMark)
                kind = SettledSilently;
            else if (startMinute < nowMinute)
                kind = OverdueWarning;
            due.push_back({static_cast<int>(i), kind});
        } else if (settings.preAlarm && !entry.preNoticed && advanceMark < kMinutesPerDay &&
                   startMinute == advanceMark) {
            due.push_back({static_cast<int>(i), AdvanceNotice});
        }
    }
    return due;
}

NoticeMark noticeMark(const DueNotice& due) {
    return {due.index, due.kind != AdvanceNotice, true};
}

bool noticeDueWithin(const DayList& list, const Settings& settings, const QDate& today,
                     const QTime& now, int leadSeconds) {
    const int nowSecond = now.msecsSinceStartOfDay() / 1000;
    const int skipMark = now.hour() * 60 + now.minute() - settings.alarmSkipMinute;
    const float dayBegin = daySerial(today);
    for (const ScheduleEntry& entry : list) {
        if ((entry.arrived && entry.preNoticed) || entry.dateSerial < dayBegin ||
            entry.dateSerial >= dayBegin + 1)
            continue;
        const int startSecond = startSecondOfDay(entry.startTime);
        const bool settledSilently = settings.alarmSkip && startSecond / 60 < skipMark;
        if (!entry.arrived && !settledSilently && startSecond - nowSecond <= leadSeconds)
            return true;
        const int advanceSecond = (startSecond / 60 - settings.preAlarmMinute) * 60;
        if (settings.preAlarm && !entry.preNoticed && advanceSecond >= nowSecond - 60 &&
            advanceSecond - nowSecond <= leadSeconds)
            return true;
    }
    return false;
}

std::vector<DueReminder> dueReminders(const std::vector<ReadOnlyEntry>& entries,
                                      const Settings& settings, const QDateTime& now) {
    const qint64 nowSecond = now.toSecsSinceEpoch();
    const qint64 minute = nowSecond - nowSecond % 60;
    std::vector<DueReminder> due;
    for (size_t i = 0; i < entries.size(); ++i) {
        const ReadOnlyEntry& r = entries[i];
        for (size_t k = 0; k < r.reminders.size(); ++k) {
            const Reminder& reminder = r.reminders[k];
            if (reminder.given || reminder.at != minute)
                continue;
            // Only now, seldom, is the start made a moment.
            const HourMinute hm = r.entry.startHourMinute();
            const qint64 start =
                QDateTime(r.entry.date(), QTime(hm.hour, hm.minute)).toSecsSinceEpoch();
            const qint64 lead = (start - reminder.at) / 60;
            if (lead == 0 || (settings.preAlarm && lead == settings.preAlarmMinute))
                continue;
            due.push_back({static_cast<int>(i), static_cast<int>(k), static_cast<int>(lead)});
        }
    }
    return due;
}

bool reminderDueWithin(const std::vector<ReadOnlyEntry>& entries, const QDateTime& now,
                       int leadSeconds) {
    const qint64 nowSecond = now.toSecsSinceEpoch();
    for (const ReadOnlyEntry& r : entries) {
        for (const Reminder& reminder : r.reminders) {
            if (!reminder.given && reminder.at >= nowSecond - 60 &&
                reminder.at - nowSecond <= leadSeconds)
                return true;
        }
    }
    return false;
}

} // namespace tanzo
