#include "SubscriptionCopy.h"

#include "calendar/EventAlarms.h"
#include "calendar/IcsImport.h"
#include "platform/SafeFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTimeZone>

#include <algorithm>

namespace tanzo {
namespace {

// A copy file larger than this was not written by us.
constexpr qint64 kMaxCacheFileBytes = 64 * 1024 * 1024;

QJsonObject entryToJson(const SubscribedEntry& s) {
    const HourMinute hm = s.entry.startHourMinute();
    QJsonObject o{{QStringLiteral("uid"), s.uid},
                  {QStringLiteral("date"), s.entry.date().toString(Qt::ISODate)},
                  {QStringLiteral("time"), hm.hour * 60 + hm.minute},
                  {QStringLiteral("status"), s.entry.status},
                  {QStringLiteral("place"), s.entry.place},
                  {QStringLiteral("comment"), s.entry.comment}};
    if (s.allDay)
        o.insert(QStringLiteral("allDay"), true);
    if (!s.description.isEmpty())
        o.insert(QStringLiteral("description"), s.description);
    if (!s.reminders.empty()) {
        QJsonArray reminders;
        for (const qint64 at : s.reminders)
            reminders.append(
                QDateTime::fromSecsSinceEpoch(at, QTimeZone::utc()).toString(Qt::ISODate));
        o.insert(QStringLiteral("reminders"), reminders);
    }
    return o;
}

std::optional<SubscribedEntry> entryFromJson(const QJsonObject& o) {
    const QDate date = QDate::fromString(o.value(QStringLiteral("date")).toString(), Qt::ISODate);
    const int minutes = o.value(QStringLiteral("time")).toInt(-1);
    if (!date.isValid() || minutes < 0 || minutes >= 24 * 60)
        return std::nullopt;
    SubscribedEntry s;
    s.uid = o.value(QStringLiteral("uid")).toString();
    s.entry.dateSerial = daySerial(date);
    s.entry.startTime = timeFraction(minutes / 60, minutes % 60);
    const int status = o.value(QStringLiteral("status")).toInt(3);
    s.entry.status = static_cast<int16_t>(status >= 1 && status <= 3 ? status : 3);
    s.entry.place = fitPlace(leftWhole(o.value(QStringLiteral("place")).toString(), PlaceLength));
    s.entry.comment = leftWhole(o.value(QStringLiteral("comment")).toString(), 1000);
    s.allDay = o.value(QStringLiteral("allDay")).toBool();
    s.description = leftWhole(o.value(QStringLiteral("description")).toString(),
                              kDescriptionLines * (kDescriptionLineLength + 2));
    for (const QJsonValue& v : o.value(QStringLiteral("reminders")).toArray()) {
        const QDateTime at = QDateTime::fromString(v.toString(), Qt::ISODate);
        if (at.isValid() && s.reminders.size() < size_t(ics::kMaxRemindersPerAppointment))
            s.reminders.push_back(at.toSecsSinceEpoch());
    }
    std::sort(s.reminders.begin(), s.reminders.end());
    if (s.allDay)
        s.entry.startTime = 0;
    return s;
}

QJsonObject readObject(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxCacheFileBytes)
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

} // namespace

bool writeFileWhole(const QString& path, const QByteArray& bytes) {
    const QString directory = QFileInfo(path).absolutePath();
    makePrivateDirectory(directory);
    // Addresses with their tokens and what the user's calendars hold: a
    // folder and file that an earlier version left open to all are closed
    // at the next write, not only new ones made closed.
    QFile::setPermissions(directory,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QSaveFile f(path);
    if (!openPrivately(f))
        return false;
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return commitWhole(f);
}

QString SubscribedEntry::noticeKey() const {
    const HourMinute hm = entry.startHourMinute();
    return QStringLiteral("%1|%2|%3")
        .arg(uid, entry.date().toString(Qt::ISODate))
        .arg(hm.hour * 60 + hm.minute);
}

QString reminderKey(const QString& noticeKey, qint64 at) {
    return noticeKey + QStringLiteral("|alarm|") + QString::number(at);
}

int SubscriptionCopy::leftOutCount() const {
    int n = 0;
    for (const RemoteResource& r : resources)
        n += r.leftOut;
    return n;
}

int SubscriptionCopy::entryCount() const {
    int n = 0;
    for (const RemoteResource& r : resources)
        n += static_cast<int>(r.entries.size());
    return n;
}

std::vector<SubscribedEntry> SubscriptionCopy::allEntries() const {
    std::vector<SubscribedEntry> all;
    for (const RemoteResource& r : resources)
        all.insert(all.end(), r.entries.begin(), r.entries.end());
    return all;
}

QJsonObject SubscriptionCopy::toJson() const {
    QJsonObject res;
    for (auto it = resources.cbegin(); it != resources.cend(); ++it) {
        QJsonArray entries;
        for (const SubscribedEntry& e : it->entries)
            entries.append(entryToJson(e));
        res.insert(it.key(), QJsonObject{{QStringLiteral("etag"), it->etag},
                                         {QStringLiteral("lastModified"), it->lastModified},
                                         {QStringLiteral("entries"), entries},
                                         {QStringLiteral("leftOut"), it->leftOut}});
    }
    return {{QStringLiteral("resources"), res},
            {QStringLiteral("collectionTag"), collectionTag},
            {QStringLiteral("windowStart"), windowStart.toString(Qt::ISODate)},
            {QStringLiteral("lastSync"), lastSync.toString(Qt::ISODate)},
            {QStringLiteral("lastAttempt"), lastAttempt.toString(Qt::ISODate)},
            {QStringLiteral("status"), status},
            {QStringLiteral("ok"), ok}};
}

SubscriptionCopy SubscriptionCopy::fromJson(const QJsonObject& json) {
    SubscriptionCopy c;
    const QJsonObject res = json.value(QStringLiteral("resources")).toObject();
    int entries = 0;
    for (auto it = res.begin(); it != res.end() && c.resources.size() < kMaxResources; ++it) {
        const QJsonObject o = it.value().toObject();
        RemoteResource r;
        r.etag = o.value(QStringLiteral("etag")).toString();
        r.lastModified = o.value(QStringLiteral("lastModified")).toString();
        r.leftOut = std::max(0, o.value(QStringLiteral("leftOut")).toInt());
        for (const QJsonValue v : o.value(QStringLiteral("entries")).toArray()) {
            if (entries >= kMaxSubscribedEntries)
                break;
            if (auto e = entryFromJson(v.toObject())) {
                r.entries.push_back(*e);
                ++entries;
            }
        }
        c.resources.insert(it.key(), r);
    }
    c.collectionTag = json.value(QStringLiteral("collectionTag")).toString();
    c.windowStart =
        QDate::fromString(json.value(QStringLiteral("windowStart")).toString(), Qt::ISODate);
    c.lastSync =
        QDateTime::fromString(json.value(QStringLiteral("lastSync")).toString(), Qt::ISODate);
    c.lastAttempt =
        QDateTime::fromString(json.value(QStringLiteral("lastAttempt")).toString(), Qt::ISODate);
    c.status = json.value(QStringLiteral("status")).toString();
    c.ok = json.value(QStringLiteral("ok")).toBool();
    return c;
}

SubscriptionCache::SubscriptionCache(QString directory, FileWriter writer)
    : m_directory(std::move(directory)), m_writer(std::move(writer)) {}

bool SubscriptionCache::writeObject(const QString& path, const QJsonObject& object) const {
    return m_writer(path, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString SubscriptionCache::flagsFile() const {
    return m_directory + QStringLiteral("/notice-flags.json");
}

QString SubscriptionCache::fileOf(const QString& name) const {
    // Names may hold any character a file name cannot; a digest can not.
    const QByteArray digest =
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return m_directory + QStringLiteral("/copy-") + QString::fromLatin1(digest) +
           QStringLiteral(".json");
}

SubscriptionCopy SubscriptionCache::read(const QString& name) const {
    return SubscriptionCopy::fromJson(readObject(fileOf(name)));
}

bool SubscriptionCache::write(const QString& name, const SubscriptionCopy& copy) const {
    return writeObject(fileOf(name), copy.toJson());
}

void SubscriptionCache::remove(const QString& name) const {
    QFile::remove(fileOf(name));
}

QMap<QString, int> SubscriptionCache::readFlags() const {
    QMap<QString, int> flags;
    const QJsonObject o = readObject(flagsFile());
    const int most = 4 * kMaxSubscribedEntries + kMaxSubscribedReminders;
    for (auto it = o.begin(); it != o.end() && flags.size() < most; ++it)
        flags.insert(it.key(), it.value().toInt() & 7);
    return flags;
}

bool SubscriptionCache::writeFlags(const QMap<QString, int>& flags) const {
    QJsonObject o;
    for (auto it = flags.cbegin(); it != flags.cend(); ++it)
        o.insert(it.key(), it.value());
    return writeObject(flagsFile(), o);
}

} // namespace tanzo
