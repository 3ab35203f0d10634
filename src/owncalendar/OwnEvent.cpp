#include "OwnEvent.h"

#include "calendar/IcsExport.h"
#include "calendar/IcsImport.h"

#include <libical/ical.h>

#include <memory>

namespace tanzo {
namespace {

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

bool isSeries(icalcomponent* event) {
    return icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
           icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY) ||
           icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
}

} // namespace

QByteArray ownEventText(const ScheduleEntry& entry, const QString& uid, int noticeMinutes,
                        const QDateTime& stamp) {
    return exportEventIcs(entry, uid.toUtf8(), noticeMinutes, stamp);
}

OwnEventReading readOwnEvent(const QByteArray& text) {
    OwnEventReading reading;
    if (text.size() > kMaxIcsLineBytes * 4)
        return reading;
    const std::unique_ptr<icalcomponent, ComponentDeleter> calendar(
        icalparser_parse_string(text.constData()));
    if (!calendar)
        return reading;
    icalcomponent* event = icalcomponent_isa(calendar.get()) == ICAL_VEVENT_COMPONENT
                               ? calendar.get()
                               : icalcomponent_get_first_component(calendar.get(),
                                                                   ICAL_VEVENT_COMPONENT);
    if (!event)
        return reading;
    if (const char* uid = icalcomponent_get_uid(event))
        reading.uid = QString::fromUtf8(uid);
    // A second event in the object is an override of a series.
    const bool overrides = event != calendar.get() &&
                           icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    if (isSeries(event) || overrides) {
        reading.kind = OwnEventReading::Kind::Recurring;
        return reading;
    }
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start) || start.is_date)
        return reading;
    // The import reads the seven days from the day it is given: from the
    // day before the start, a zone's shift to the local day stays inside.
    const QDate day(start.year, start.month, start.day);
    if (!day.isValid())
        return reading;
    const IcsImportResult imported = readIcs(text, day.addDays(-1));
    if (imported.entries.size() != 1)
        return reading;
    reading.kind = OwnEventReading::Kind::Appointment;
    reading.entry = imported.entries.front();
    return reading;
}

} // namespace tanzo
