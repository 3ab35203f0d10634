#include "OwnCalendarState.h"

#include "platform/SafeFiles.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace tanzo {
namespace {

QJsonArray entryToJson(const ScheduleEntry& e) {
    const HourMinute hm = e.startHourMinute();
    return {e.date().toString(Qt::ISODate), hm.hour * 60 + hm.minute, e.status, e.place, e.comment};
}

std::optional<ScheduleEntry> entryFromJson(const QJsonValue& value) {
    const QJsonArray a = value.toArray();
    if (a.size() != 5)
        return std::nullopt;
    const QDate date = QDate::fromString(a[0].toString(), Qt::ISODate);
    const int minutes = a[1].toInt(-1);
    if (!date.isValid() || minutes < 0 || minutes >= 24 * 60)
        return std::nullopt;
    ScheduleEntry e;
    e.dateSerial = daySerial(date);
    e.startTime = timeFraction(minutes / 60, minutes % 60);
    e.status = static_cast<int16_t>(a[2].toInt(3));
    e.place = fitPlace(a[3].toString());
    e.comment = a[4].toString();
    return e;
}

} // namespace

QJsonObject OwnCalendarState::toJson() const {
    QJsonObject events_;
    for (auto it = events.cbegin(); it != events.cend(); ++it) {
        QJsonObject e{{QStringLiteral("uid"), it->uid}, {QStringLiteral("etag"), it->etag}};
        if (it->entry)
            e.insert(QStringLiteral("entry"), entryToJson(*it->entry));
        if (!it->seriesText.isEmpty())
            e.insert(QStringLiteral("series"), QString::fromUtf8(it->seriesText));
        events_.insert(it.key(), e);
    }
    return {{QStringLiteral("url"), config.url.toString()},
            {QStringLiteral("user"), config.user},
            {QStringLiteral("trustedCertificate"), config.trustedCertificate},
            {QStringLiteral("ctag"), collectionTag},
            {QStringLiteral("lastSync"), lastSync.toString(Qt::ISODate)},
            {QStringLiteral("lastProblem"), lastProblem},
            {QStringLiteral("events"), events_}};
}

OwnCalendarState OwnCalendarState::fromJson(const QJsonObject& json) {
    OwnCalendarState s;
    s.config.url = QUrl(json.value(QStringLiteral("url")).toString(), QUrl::StrictMode);
    s.config.user = json.value(QStringLiteral("user")).toString();
    s.config.trustedCertificate = json.value(QStringLiteral("trustedCertificate")).toString();
    s.collectionTag = json.value(QStringLiteral("ctag")).toString();
    s.lastSync =
        QDateTime::fromString(json.value(QStringLiteral("lastSync")).toString(), Qt::ISODate);
    s.lastProblem = json.value(QStringLiteral("lastProblem")).toString();
    const QJsonObject events = json.value(QStringLiteral("events")).toObject();
    for (auto it = events.constBegin(); it != events.constEnd(); ++it) {
        const QJsonObject e = it.value().toObject();
        SyncedEvent synced{e.value(QStringLiteral("uid")).toString(),
                           e.value(QStringLiteral("etag")).toString(),
                           entryFromJson(e.value(QStringLiteral("entry"))),
                           e.value(QStringLiteral("series")).toString().toUtf8()};
        s.events.insert(it.key(), synced);
    }
    return s;
}

std::optional<OwnCalendarState> readOwnCalendarState(const QString& path, QString* problem) {
    QByteArray bytes;
    switch (readRegularFile(path, kMaxOwnStateBytes, &bytes)) {
    case RegularFileRead::Read:
        break;
    case RegularFileRead::Missing:
        return std::nullopt;
    default:
        if (problem)
            *problem = QStringLiteral("自分のカレンダーの同期記録を読めません: %1").arg(path);
        return std::nullopt;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    OwnCalendarState state = OwnCalendarState::fromJson(doc.object());
    if (!doc.isObject() || !state.config.url.isValid() || state.config.url.isEmpty()) {
        if (problem)
            *problem = QStringLiteral("自分のカレンダーの同期記録が壊れています: %1").arg(path);
        return std::nullopt;
    }
    return state;
}

bool writeOwnCalendarState(const QString& path, const OwnCalendarState& state,
                           const AtomicWriterFactory& writers) {
    const std::unique_ptr<AtomicWriter> writer = writers(path);
    if (!writer || !writer->open())
        return false;
    if (!writer->write(QJsonDocument(state.toJson()).toJson(QJsonDocument::Compact))) {
        writer->cancel();
        return false;
    }
    return writer->commit();
}

} // namespace tanzo
