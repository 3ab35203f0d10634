#include "ScheduleCommands.h"

#include "calendar/IcsExport.h"
#include "calendar/IcsImport.h"
#include "platform/Cp932.h"
#include "schedule/ScheduleStore.h"

#include <algorithm>

namespace tanzo {
namespace {

const QString kWriteFailed = QStringLiteral("スケジュールデータの書き込みに失敗しました。");

CommandOutput badInput(const QString& message) {
    CommandOutput out;
    out.status = kStatusBadInput;
    out.err = message;
    return out;
}

QString lineOf(const ScheduleEntry& e) {
    const HourMinute hm = e.startHourMinute();
    return QStringLiteral("%1 %2:%3  %4  %5  %6")
        .arg(e.date().toString(QStringLiteral("yyyy-MM-dd")))
        .arg(hm.hour, 2, 10, QLatin1Char('0'))
        .arg(hm.minute, 2, 10, QLatin1Char('0'))
        .arg(statusWord(e.status), trimSpaces(e.place), trimSpaces(e.comment))
        .trimmed();
}

bool sameAppointment(const ScheduleEntry& a, const ScheduleEntry& b) {
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
    const QDate first = access.now.date();
    const QDate last = first.addDays(c.days - 1);
    CommandOutput out;
    const DayList& view = access.schedule.view();
    for (size_t i = 0; i < view.size(); ++i) {
        const ScheduleEntry& e = view[i];
        if (e.dateSerial <= 0 || e.date() < first || e.date() > last)
            continue;
        out.out += lineOf(e);
        // A subscribed appointment says where it comes from.
        if (const ReadOnlyEntry* r = access.schedule.readOnlyAt(static_cast<int>(i)))
            out.out += QStringLiteral("  [%1]").arg(r->source);
        out.out += QLatin1Char('\n');
    }
    return out;
}

CommandOutput add(const Command& c, ScheduleAccess& access) {
    const QDate today = access.now.date();
    if (c.date < today || c.date > today.addDays(6))
        return badInput(QStringLiteral("日付は今日から6日後までの範囲で指定してください。"));
    if (QDateTime(c.date, c.time) < access.now.addSecs(-access.now.time().second()))
        return badInput(QStringLiteral("開始時刻が過ぎています。"));
    const QString place = trimSpaces(c.place);
    if (place.isEmpty())
        return badInput(QStringLiteral("行先を指定してください。"));
    if (place.size() > PlaceLength)
        return badInput(QStringLiteral("行先は%1文字以内で指定してください。").arg(PlaceLength));
    if (!cp932::encodable(place) || !cp932::encodable(c.comment))
        return badInput(
            QStringLiteral("行先と備考にはシフトJISで表せる文字だけを使ってください。"));
    ScheduleEntry entry;
    entry.dateSerial = daySerial(c.date);
    entry.startTime = timeFraction(c.time.hour(), c.time.minute());
    entry.status = c.status;
    entry.place = fitPlace(place);
    entry.comment = c.comment.trimmed();
    for (const ScheduleEntry& e : access.schedule.entries()) {
        if (sameAppointment(e, entry))
            return badInput(QStringLiteral("同じ日時と行先の予定が既に登録されています。"));
    }
    CommandOutput out;
    out.out = lineOf(entry) + QLatin1Char('\n');
    return store({entry}, access, out);
}

CommandOutput import(const Command& c, ScheduleAccess& access) {
    const IcsImportResult result =
        importIcs(c.fileBytes, access.now.date(), access.schedule.entries());
    if (!result.isCalendar)
        return badInput(notCalendarMessage(c.fileName));
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
    default:
        break; // subscriptions: see SubscriptionCommands
    }
    return {};
}

QJsonObject Command::toJson() const {
    return {{QStringLiteral("kind"), static_cast<int>(kind)},
            {QStringLiteral("days"), days},
            {QStringLiteral("date"), date.toString(Qt::ISODate)},
            {QStringLiteral("time"), time.toString(QStringLiteral("HH:mm"))},
            {QStringLiteral("place"), place},
            {QStringLiteral("comment"), comment},
            {QStringLiteral("status"), status},
            {QStringLiteral("fileName"), fileName},
            {QStringLiteral("fileBytes"), QString::fromLatin1(fileBytes.toBase64())},
            {QStringLiteral("address"), address},
            {QStringLiteral("name"), name},
            {QStringLiteral("user"), user},
            {QStringLiteral("password"), password}};
}

Command Command::fromJson(const QJsonObject& json) {
    Command c;
    const int kind = json.value(QStringLiteral("kind")).toInt();
    c.kind = static_cast<Kind>(std::clamp(kind, 0, static_cast<int>(Kind::Sync)));
    c.days = json.value(QStringLiteral("days")).toInt(1);
    c.date = QDate::fromString(json.value(QStringLiteral("date")).toString(), Qt::ISODate);
    c.time =
        QTime::fromString(json.value(QStringLiteral("time")).toString(), QStringLiteral("HH:mm"));
    c.place = json.value(QStringLiteral("place")).toString();
    c.comment = json.value(QStringLiteral("comment")).toString();
    c.status = static_cast<int16_t>(json.value(QStringLiteral("status")).toInt(3));
    c.fileName = json.value(QStringLiteral("fileName")).toString();
    c.fileBytes =
        QByteArray::fromBase64(json.value(QStringLiteral("fileBytes")).toString().toLatin1());
    c.address = json.value(QStringLiteral("address")).toString();
    c.name = json.value(QStringLiteral("name")).toString();
    c.user = json.value(QStringLiteral("user")).toString();
    c.password = json.value(QStringLiteral("password")).toString();
    return c;
}

QJsonObject CommandOutput::toJson() const {
    return {{QStringLiteral("status"), status},
            {QStringLiteral("out"), out},
            {QStringLiteral("err"), err},
            {QStringLiteral("changed"), changed},
            {QStringLiteral("fileBytes"), QString::fromLatin1(fileBytes.toBase64())}};
}

CommandOutput CommandOutput::fromJson(const QJsonObject& json) {
    CommandOutput o;
    o.status = json.value(QStringLiteral("status")).toInt(kStatusFailed);
    o.out = json.value(QStringLiteral("out")).toString();
    o.err = json.value(QStringLiteral("err")).toString();
    o.changed = json.value(QStringLiteral("changed")).toBool();
    o.fileBytes =
        QByteArray::fromBase64(json.value(QStringLiteral("fileBytes")).toString().toLatin1());
    return o;
}

} // namespace tanzo
