#include "ScheduleSave.h"

#include "schedule/ScheduleStore.h"

#include <cmath>

namespace tanzo {
namespace {
constexpr int kMinutesPerDay = 24 * 60;

std::optional<qint64> lookupKey(float entryDate, float startTime) {
    if (!std::isfinite(entryDate) || entryDate != std::floor(entryDate))
        return std::nullopt;
    const HourMinute hm = hourMinuteFromFraction(startTime);
    return static_cast<qint64>(entryDate) * kMinutesPerDay + hm.hour * 60 + hm.minute;
}
} // namespace

NoticeFlagLookup::NoticeFlagLookup(const DayList& list) : m_list(list) {
    m_first.reserve(static_cast<qsizetype>(list.size()));
    for (int i = 0; i < static_cast<int>(list.size()); ++i) {
        const auto key = lookupKey(list[i].dateSerial, list[i].startTime);
        if (key && !m_first.contains(*key))
            m_first.insert(*key, i);
    }
}

const ScheduleEntry* NoticeFlagLookup::find(float entryDate, float startTime) const {
    const auto key = lookupKey(entryDate, startTime);
    if (!key)
        return nullptr;
    const auto it = m_first.constFind(*key);
    return it == m_first.constEnd() ? nullptr : &m_list[static_cast<size_t>(*it)];
}

std::optional<ScheduleEntry> entryFromFields(const ListFields& fields, QString* error) {
    const QDate date = fieldsDate(fields);
    const QTime time = fieldsTime(fields);
    if (!date.isValid() || !time.isValid()) {
        if (error) {
            *error = QStringLiteral("予定「%1/%2/%3 %4:%5」の日付または時刻が正しくありません。")
                         .arg(fields.year, fields.month, fields.day, fields.hour, fields.minute);
        }
        return std::nullopt;
    }
    ScheduleEntry e;
    e.dateSerial = daySerial(date);
    e.startTime = timeFraction(time.hour(), time.minute());
    e.status = statusFromText(trimSpaces(fields.status));
    e.place = fitPlace(fields.place);
    e.comment = fields.comment;
    return e;
}

WriteOutcome commitSchedule(const std::vector<ListFields>& lines, ScheduleStore& schedule) {
    WriteOutcome outcome;
    const NoticeFlagLookup flags(schedule.entries());
    DayList list;
    list.reserve(lines.size());
    for (const ListFields& line : lines) {
        auto entry = entryFromFields(line, &outcome.fieldError);
        if (!entry)
            return outcome;
        if (const ScheduleEntry* known = flags.find(entry->dateSerial, entry->startTime)) {
            entry->arrived = known->arrived;
            entry->preNoticed = known->preNoticed;
        }
        list.push_back(*entry);
    }
    outcome.ok = schedule.replace(list);
    return outcome;
}

} // namespace tanzo
