#include "ScheduleSave.h"

#include "core/BoardHost.h"
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

WriteOutcome writeScheduleFile(const std::vector<ListFields>& lines, const DayList& dayList,
                               DataFile& file) {
    WriteOutcome outcome;
    const std::unique_ptr<DataFile::Writer> writer = file.openForWrite();
    if (!writer)
        return outcome;
    const NoticeFlagLookup flags(dayList);
    for (const ListFields& line : lines) {
        auto entry = entryFromFields(line, &outcome.fieldError);
        if (!entry) {
            writer->abandon();
            return outcome;
        }
        if (const ScheduleEntry* known = flags.find(entry->dateSerial, entry->startTime)) {
            entry->arrived = known->arrived;
            entry->preNoticed = known->preNoticed;
        }
        if (!writer->write(*entry)) {
            writer->abandon();
            return outcome;
        }
    }
    outcome.ok = writer->commit();
    return outcome;
}

WriteOutcome commitSchedule(const std::vector<ListFields>& lines, ScheduleStore& schedule,
                            BoardHost& board) {
    board.stopTimer();
    const WriteOutcome outcome = writeScheduleFile(lines, schedule.entries(), schedule.file());
    if (outcome.ok)
        schedule.markReloadPending();
    board.startTimer();
    return outcome;
}

} // namespace tanzo
