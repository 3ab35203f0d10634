#include "ScheduleSave.h"

#include "schedule/ScheduleStore.h"

#include <QStringList>

namespace tanzo {
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

WriteOutcome commitSchedule(const DayList& base, const std::vector<EditorLine>& lines,
                            ScheduleStore& schedule) {
    WriteOutcome outcome;
    std::vector<EditedLine> edited;
    edited.reserve(lines.size());
    for (const EditorLine& line : lines) {
        auto entry = entryFromFields(line.fields, &outcome.fieldError);
        if (!entry)
            return outcome;
        edited.push_back({*entry, line.origin});
    }
    ScheduleStore::EditOutcome applied = schedule.applyEdit(base, edited);
    outcome.ok = applied.ok;
    outcome.merged = std::move(applied.merged);
    return outcome;
}

QString conflictText(const std::vector<ScheduleEntry>& conflicts) {
    QStringList lines;
    for (const ScheduleEntry& e : conflicts) {
        const HourMinute hm = e.startHourMinute();
        lines << QStringLiteral("%1 %2:%3 %4")
                     .arg(e.date().toString(QStringLiteral("yyyy/MM/dd")))
                     .arg(hm.hour, 2, 10, QLatin1Char('0'))
                     .arg(hm.minute, 2, 10, QLatin1Char('0'))
                     .arg(trimSpaces(e.place));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace tanzo
