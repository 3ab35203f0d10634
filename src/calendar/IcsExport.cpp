#include "IcsExport.h"

#include "IcsImport.h"
#include "platform/SafeFiles.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimeZone>

#include <libical/ical.h>

#include <cstdlib>

namespace tanzo {
namespace {

// The priorities the import maps back to the same importance.
int priorityOf(int16_t status) {
    switch (status) {
    case 1:
        return 1;
    case 2:
        return 5;
    default:
        return 9;
    }
}

// The same appointment gets the same UID in every export, so that a calendar
// that imports the file again updates it instead of adding a copy.
QByteArray uidOf(const ScheduleEntry& e) {
    const HourMinute hm = e.startHourMinute();
    const QByteArray key = QStringLiteral("%1|%2|%3")
                               .arg(e.date().toString(Qt::ISODate))
                               .arg(hm.hour * 60 + hm.minute)
                               .arg(trimSpaces(e.place))
                               .toUtf8();
    return QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(32) + "@tanzo";
}

// The system's zone as a VTIMEZONE named by its plain IANA id (libical's
// own TZIDs carry a prefix that other programs would show); empty when
// libical does not know the zone.
icalcomponent* systemZoneDefinition(QByteArray& id) {
    id = QTimeZone::systemTimeZoneId();
    icaltimezone* zone = id.isEmpty() ? nullptr : icaltimezone_get_builtin_timezone(id.constData());
    icalcomponent* builtin = zone ? icaltimezone_get_component(zone) : nullptr;
    if (!builtin)
        return nullptr;
    icalcomponent* definition = icalcomponent_new_clone(builtin);
    if (icalproperty* tzid = icalcomponent_get_first_property(definition, ICAL_TZID_PROPERTY))
        icalproperty_set_tzid(tzid, id.constData());
    return definition;
}

icalcomponent* eventFor(const ScheduleEntry& e, const QByteArray& uid, const char* tzid,
                        int noticeMinutes, const icaltimetype& stamp) {
    icalcomponent* event = icalcomponent_new_vevent();
    icalcomponent_add_property(event, icalproperty_new_uid(uid.constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));

    const QDate date = e.date();
    const HourMinute hm = e.startHourMinute();
    icaltimetype start = icaltime_null_time();
    start.year = date.year();
    start.month = date.month();
    start.day = date.day();
    start.hour = hm.hour;
    start.minute = hm.minute;
    icalproperty* dtstart = icalproperty_new_dtstart(start);
    if (tzid)
        icalproperty_add_parameter(dtstart, icalparameter_new_tzid(tzid));
    icalcomponent_add_property(event, dtstart);

    const QByteArray place = trimSpaces(e.place).toUtf8();
    const QByteArray comment = trimSpaces(e.comment).toUtf8();
    // Calendars show SUMMARY as the title: the comment when there is one;
    // the mark below tells our import which it was.
    const QByteArray summary = comment.isEmpty() ? place : comment;
    icalcomponent_add_property(event, icalproperty_new_summary(summary.constData()));
    if (!place.isEmpty())
        icalcomponent_add_property(event, icalproperty_new_location(place.constData()));
    icalcomponent_add_property(event, icalproperty_new_priority(priorityOf(e.status)));
    icalproperty* mark =
        icalproperty_new_x(comment.isEmpty() ? kOwnEventWithoutComment : kOwnEventWithComment);
    icalproperty_set_x_name(mark, kOwnEventProperty);
    icalcomponent_add_property(event, mark);

    icalcomponent* alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icaltriggertype trigger;
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(-60 * std::max(0, noticeMinutes));
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_property(alarm, icalproperty_new_description(summary.constData()));
    icalcomponent_add_component(event, alarm);
    return event;
}

// The calendar around the events of `list`, each with the UID `uidFor`
// gives it.
template <typename UidFor>
QByteArray calendarText(const DayList& list, int noticeMinutes, const QDateTime& stamp,
                        UidFor uidFor) {
    icalcomponent* calendar = icalcomponent_new_vcalendar();
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_prodid("-//Merovane//Tanzo//JA"));
    icalcomponent_add_property(calendar, icalproperty_new_calscale("GREGORIAN"));

    QByteArray zoneId;
    icalcomponent* zone = systemZoneDefinition(zoneId);
    if (zone)
        icalcomponent_add_component(calendar, zone);
    const char* tzid = zone ? zoneId.constData() : nullptr;
    const icaltimetype dtstamp = icaltime_from_timet_with_zone(
        static_cast<time_t>(stamp.toSecsSinceEpoch()), 0, icaltimezone_get_utc_timezone());
    for (const ScheduleEntry& e : list) {
        if (e.dateSerial > 0)
            icalcomponent_add_component(calendar,
                                        eventFor(e, uidFor(e), tzid, noticeMinutes, dtstamp));
    }
    char* text = icalcomponent_as_ical_string_r(calendar);
    const QByteArray bytes(text);
    std::free(text);
    icalcomponent_free(calendar);
    return bytes;
}

} // namespace

QByteArray exportIcs(const DayList& list, int noticeMinutes, const QDateTime& stamp) {
    return calendarText(list, noticeMinutes, stamp, uidOf);
}

QByteArray exportEventIcs(const ScheduleEntry& entry, const QByteArray& uid, int noticeMinutes,
                          const QDateTime& stamp) {
    return calendarText({entry}, noticeMinutes, stamp,
                        [&uid](const ScheduleEntry&) { return uid; });
}

bool writeIcsFile(const QString& path, const QByteArray& bytes, QString* error) {
    // A device, a pipe or a directory would be replaced by a new file: the
    // export writes only where a file is, or none yet.
    const QFileInfo info(path);
    if ((info.exists() && !info.isFile()) || (info.isSymLink() && !info.exists())) {
        if (error)
            *error = QStringLiteral("%1 は通常のファイルではないため、書き出せません。")
                         .arg(info.fileName());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !commitWhole(file)) {
        if (error)
            *error = QStringLiteral("%1 に書き込めませんでした。").arg(QFileInfo(path).fileName());
        return false;
    }
    return true;
}

} // namespace tanzo
