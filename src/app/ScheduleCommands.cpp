#include "ScheduleCommands.h"

#include "calendar/EventTimes.h"
#include "calendar/IcsExport.h"
#include "platform/Cp932.h"
#include "schedule/ScheduleStore.h"

#include <QJsonArray>

#include <algorithm>

namespace tanzo {
namespace {

const QString kWriteFailed = QStringLiteral("スケジュールデータの書き込みに失敗しました。");
const QString kFull = QStringLiteral("予定は%1件までです。古い予定を消してから登録してください。")
                          .arg(MaxDayListEntries);
const QString kNotAnEntry = QStringLiteral("日時・重要度・行先のどれかが正しくありません");

int heldEntries(const DayList& list) {
    return static_cast<int>(std::count_if(list.begin(), list.end(),
                                          [](const ScheduleEntry& e) { return e.dateSerial > 0; }));
}

// An appointment that came over the channel, checked as a typed one is:
// a date the board can show, a time of day, an importance, a place of up to
// seven characters and text that code page 932 holds.
std::optional<ScheduleEntry> checkedEntry(const ScheduleEntry& e) {
    const double fraction = e.startTime;
    if (e.dateSerial <= 0 || !hasShowableDate(e) || !(fraction >= 0 && fraction < 1) ||
        e.status < 1 || e.status > 3)
        return std::nullopt;
    const QString place = trimSpaces(cp932::storable(e.place));
    const QString comment = trimSpaces(cp932::storable(e.comment));
    if (place.isEmpty() || place.size() > PlaceLength || !cp932::encodable(place) ||
        !cp932::encodable(comment))
        return std::nullopt;
    const HourMinute hm = e.startHourMinute();
    ScheduleEntry checked;
    checked.dateSerial = e.dateSerial;
    checked.startTime = timeFraction(hm.hour, hm.minute);
    checked.status = e.status;
    checked.place = fitPlace(place);
    checked.comment = comment;
    return checked;
}

CommandOutput badInput(const QString& message) {
    CommandOutput out;
    out.status = kStatusBadInput;
    out.err = message;
    return out;
}

// An all-day appointment (only a subscription has them) says 終日 for its time.
QString lineOf(const ScheduleEntry& e, bool allDay = false) {
    const HourMinute hm = e.startHourMinute();
    const QString time = allDay ? QStringLiteral("終日")
                                : QStringLiteral("%1:%2")
                                      .arg(hm.hour, 2, 10, QLatin1Char('0'))
                                      .arg(hm.minute, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 %2  %3  %4  %5")
        .arg(e.date().toString(QStringLiteral("yyyy-MM-dd")), time, statusWord(e.status),
             trimSpaces(e.place), trimSpaces(e.comment))
        .trimmed();
}

bool sameSlotAndPlace(const ScheduleEntry& a, const ScheduleEntry& b) {
    return a.dateSerial == b.dateSerial && a.startHourMinute() == b.startHourMinute() &&
           trimSpaces(a.place) == trimSpaces(b.place);
}

// Adds the entries through the store, which takes them only when the file
// was written.
CommandOutput store(const std::vector<ScheduleEntry>& added, ScheduleAccess& access,
                    CommandOutput out) {
    if (added.empty())
        return out;
    if (!access.schedule.add(added)) {
        out.status = kStatusFailed;
        out.err = kWriteFailed;
        return out;
    }
    out.changed = true;
    return out;
}

CommandOutput list(const Command& c, const ScheduleAccess& access) {
    if (c.days < 1 || c.days > 7)
        return badInput(QStringLiteral("日数は1から7までの数で指定してください: %1").arg(c.days));
    const QDate first = access.now.date();
    const QDate last = first.addDays(c.days - 1);
    CommandOutput out;
    const DayList& view = access.schedule.view();
    for (size_t i = 0; i < view.size(); ++i) {
        const ScheduleEntry& e = view[i];
        if (e.dateSerial <= 0 || e.date() < first || e.date() > last)
            continue;
        // A subscribed appointment says where it comes from.
        const ReadOnlyEntry* r = access.schedule.readOnlyAt(static_cast<int>(i));
        out.out += lineOf(e, r && r->allDay);
        if (r)
            out.out += QStringLiteral("  [%1]").arg(r->source);
        out.out += QLatin1Char('\n');
    }
    return out;
}

CommandOutput add(const Command& c, ScheduleAccess& access) {
    if (!c.date.isValid())
        return badInput(QStringLiteral("日付が正しくありません（例 2027-03-15）。"));
    if (!c.time.isValid())
        return badInput(QStringLiteral("開始時刻が正しくありません（例 10:30）。"));
    if (c.status < 1 || c.status > 3)
        return badInput(QStringLiteral("重要度は 最重要、重要、普通 のどれかです。"));
    const QDate today = access.now.date();
    if (c.date < today || c.date > today.addDays(6))
        return badInput(QStringLiteral("日付は今日から6日後までの範囲で指定してください。"));
    // The real moment: on the day summer time begins, 02:30 is 03:30.
    if (ics::localMoment(c.date, QTime(c.time.hour(), c.time.minute())) <
        access.now.addSecs(-access.now.time().second()))
        return badInput(QStringLiteral("開始時刻が過ぎています。"));
    const QString place = trimSpaces(cp932::storable(c.place));
    const QString comment = trimSpaces(cp932::storable(c.comment));
    if (place.isEmpty())
        return badInput(QStringLiteral("行先を指定してください。"));
    if (place.size() > PlaceLength)
        return badInput(QStringLiteral("行先は%1文字以内で指定してください。").arg(PlaceLength));
    if (!cp932::encodable(place) || !cp932::encodable(comment))
        return badInput(
            QStringLiteral("行先と備考にはシフトJISで表せる文字だけを使ってください。"));
    ScheduleEntry entry;
    entry.dateSerial = daySerial(c.date);
    entry.startTime = timeFraction(c.time.hour(), c.time.minute());
    entry.status = c.status;
    entry.place = fitPlace(place);
    entry.comment = comment;
    for (const ScheduleEntry& e : access.schedule.entries()) {
        if (sameSlotAndPlace(e, entry))
            return badInput(QStringLiteral("同じ日時と行先の予定が既に登録されています。"));
    }
    if (heldEntries(access.schedule.entries()) >= MaxDayListEntries)
        return badInput(kFull);
    CommandOutput out;
    out.out = lineOf(entry) + QLatin1Char('\n');
    return store({entry}, access, out);
}

CommandOutput import(const Command& c, ScheduleAccess& access) {
    IcsImportResult result = c.imported;
    if (!result.isCalendar)
        return badInput(refusalMessage(result, c.fileName));
    std::vector<ScheduleEntry> checked;
    for (const ScheduleEntry& e : result.entries) {
        if (auto entry = checkedEntry(e)) {
            checked.push_back(*entry);
        } else {
            const HourMinute hm = hourMinuteFromFraction(e.startTime);
            leaveOut(result, {e.date(), QTime(hm.hour, hm.minute), e.place, kNotAnEntry});
        }
    }
    result.entries = std::move(checked);
    admitImport(result, access.schedule.entries());
    CommandOutput out;
    out.out = describeImport(result) + QLatin1Char('\n');
    return store(result.entries, access, out);
}

} // namespace

CommandOutput runCommand(const Command& command, ScheduleAccess access) {
    switch (command.kind) {
    case Command::Kind::List:
        return list(command, access);
    case Command::Kind::Add:
        return add(command, access);
    case Command::Kind::Import:
        return import(command, access);
    case Command::Kind::Export: {
        CommandOutput out;
        out.fileBytes = exportIcs(access.schedule.entries(), access.noticeMinutes, access.now);
        return out;
    }
    case Command::Kind::Raise:
        return {}; // the board's own concern; the schedule is left alone
    default:
        break; // subscriptions: see SubscriptionCommands
    }
    return {};
}

} // namespace tanzo
