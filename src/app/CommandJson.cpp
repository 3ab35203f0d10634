#include "ScheduleCommands.h"

#include <QJsonArray>

// Commands and answers as the channel carries them: QtCore only, so that
// the board takes a command without loading the calendar module until it
// runs one.

namespace tanzo {

namespace {

QString key(const char* name) {
    return QString::fromLatin1(name);
}

QJsonObject importToJson(const IcsImportResult& r) {
    QJsonArray entries;
    for (const ScheduleEntry& e : r.entries) {
        const HourMinute hm = e.startHourMinute();
        entries.append(QJsonArray{e.date().toString(Qt::ISODate), hm.hour * 60 + hm.minute,
                                  e.status, trimSpaces(e.place), e.comment});
    }
    QJsonArray leftOut;
    for (const LeftOutEvent& e : r.leftOut)
        leftOut.append(QJsonArray{e.date.toString(Qt::ISODate),
                                  e.time.toString(QStringLiteral("HH:mm")), e.title, e.reason});
    return {{key("refusal"), static_cast<int>(r.refusal)},
            {key("entries"), entries},
            {key("calendars"), r.calendars},
            {key("fromShiftJis"), r.fromShiftJis},
            {key("duplicates"), r.duplicates},
            {key("allDay"), r.allDay},
            {key("overLimit"), r.overLimit},
            {key("costlyZones"), QJsonArray::fromStringList(r.costlyZones)},
            {key("leftOut"), leftOut},
            {key("leftOutUnlisted"), r.leftOutUnlisted},
            {key("cancelled"), r.cancelled}};
}

// What arrives is only read here; the import checks every entry before it
// takes one.
IcsImportResult importFromJson(const QJsonObject& json) {
    IcsImportResult r;
    const int refusal = json.value(key("refusal")).toInt(-1);
    r.refusal = refusal >= 0 && refusal <= static_cast<int>(IcsImportResult::kLastRefusal)
                    ? static_cast<IcsImportResult::Refusal>(refusal)
                    : IcsImportResult::Refusal::NotCalendar;
    r.isCalendar = r.refusal == IcsImportResult::Refusal::None;
    for (const QJsonValue& v : json.value(key("entries")).toArray()) {
        const QJsonArray a = v.toArray();
        const QDate date = QDate::fromString(a.at(0).toString(), Qt::ISODate);
        const int minutes = a.at(1).toInt(-1);
        ScheduleEntry e;
        e.dateSerial = date.isValid() ? daySerial(date) : 0;
        e.startTime =
            minutes >= 0 && minutes < 24 * 60 ? timeFraction(minutes / 60, minutes % 60) : -1;
        e.status = static_cast<int16_t>(std::clamp(a.at(2).toInt(0), 0, 4));
        e.place = a.at(3).toString();
        e.comment = a.at(4).toString();
        r.entries.push_back(e);
    }
    r.calendars = json.value(key("calendars")).toInt();
    r.fromShiftJis = json.value(key("fromShiftJis")).toBool();
    r.duplicates = std::max(0, json.value(key("duplicates")).toInt());
    r.allDay = std::max(0, json.value(key("allDay")).toInt());
    r.overLimit = std::max(0, json.value(key("overLimit")).toInt());
    for (const QJsonValue& v : json.value(key("costlyZones")).toArray())
        r.costlyZones << v.toString();
    for (const QJsonValue& v : json.value(key("leftOut")).toArray()) {
        const QJsonArray a = v.toArray();
        leaveOut(r, {QDate::fromString(a.at(0).toString(), Qt::ISODate),
                     QTime::fromString(a.at(1).toString(), QStringLiteral("HH:mm")),
                     a.at(2).toString(), a.at(3).toString()});
    }
    r.leftOutUnlisted += std::max(0, json.value(key("leftOutUnlisted")).toInt());
    r.cancelled = json.value(key("cancelled")).toBool();
    return r;
}

} // namespace

QJsonObject Command::toJson() const {
    QJsonObject json{{key("kind"), static_cast<int>(kind)},
                     {key("days"), days},
                     {key("date"), date.toString(Qt::ISODate)},
                     {key("time"), time.toString(QStringLiteral("HH:mm"))},
                     {key("place"), place},
                     {key("comment"), comment},
                     {key("status"), status},
                     {key("fileName"), fileName}};
    if (kind == Kind::Import)
        json.insert(key("imported"), importToJson(imported));
    if (isSubscriptionCommand()) {
        json.insert(key("address"), address);
        json.insert(key("name"), name);
        json.insert(key("user"), user);
        json.insert(key("password"), password);
        json.insert(key("calendar"), calendar);
        json.insert(key("fingerprint"), fingerprint);
        json.insert(key("interval"), interval);
    }
    return json;
}

std::optional<Command> Command::fromJson(const QJsonObject& json) {
    const int kind = json.value(key("kind")).toInt(-1);
    if (kind < 0 || kind > static_cast<int>(Kind::Raise))
        return std::nullopt;
    Command c;
    c.kind = static_cast<Kind>(kind);
    // Out-of-range values stay out of range, so that the command refuses
    // them as it refuses typed ones.
    c.days = json.value(key("days")).toInt(0);
    c.date = QDate::fromString(json.value(key("date")).toString(), Qt::ISODate);
    c.time = QTime::fromString(json.value(key("time")).toString(), QStringLiteral("HH:mm"));
    c.place = json.value(key("place")).toString();
    c.comment = json.value(key("comment")).toString();
    c.status = static_cast<int16_t>(std::clamp(json.value(key("status")).toInt(0), 0, 4));
    c.fileName = json.value(key("fileName")).toString();
    if (c.kind == Kind::Import)
        c.imported = importFromJson(json.value(key("imported")).toObject());
    if (c.isSubscriptionCommand()) {
        c.address = json.value(key("address")).toString();
        c.name = json.value(key("name")).toString();
        c.user = json.value(key("user")).toString();
        c.password = json.value(key("password")).toString();
        c.calendar = json.value(key("calendar")).toString();
        c.fingerprint = json.value(key("fingerprint")).toString();
        c.interval = json.value(key("interval")).toInt(0);
        // Far beyond any real address or password: a request that carries
        // more is not one our command line sends.
        constexpr int kMaxFieldLength = 8192;
        for (const QString* field :
             {&c.address, &c.name, &c.user, &c.password, &c.calendar, &c.fingerprint}) {
            if (field->size() > kMaxFieldLength)
                return std::nullopt;
        }
    }
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
