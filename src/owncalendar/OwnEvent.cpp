#include "OwnEvent.h"

#include "calendar/IcsExport.h"
#include "calendar/IcsImport.h"
#include "platform/Cp932.h"
#include "schedule/DataFileLines.h"

#include <libical/ical.h>

#include <cstdlib>
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

// Text the data file cannot hold: each character outside code page 932
// becomes 〓, as Japanese text has long marked what it could not show;
// joiners and marks that belonged to it go with it.
QString fitted(const QString& text) {
    const QString storable = cp932::storable(text);
    if (cp932::encodable(storable))
        return storable;
    QString out;
    for (qsizetype i = 0; i < storable.size(); ++i) {
        const QChar c = storable[i];
        QString one(c);
        if (c.isHighSurrogate() && i + 1 < storable.size())
            one += storable[++i];
        if (cp932::encodable(one)) {
            out += one;
            continue;
        }
        const char32_t u = one.toUcs4().value(0);
        const bool attached = u == 0x200D || (u >= 0xFE00 && u <= 0xFE0F) ||
                              (u >= 0x1F3FB && u <= 0x1F3FF) || (u >= 0xE0020 && u <= 0xE007F) ||
                              QChar::category(u) == QChar::Mark_NonSpacing ||
                              QChar::category(u) == QChar::Mark_Enclosing;
        if (!attached)
            out += QChar(0x3013);
    }
    return out;
}

// SUMMARY and LOCATION as the data file can hold them.
void fitText(icalcomponent* event) {
    if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_SUMMARY_PROPERTY)) {
        const char* text = icalproperty_get_summary(p);
        icalproperty_set_summary(p,
                                 fitted(QString::fromUtf8(text ? text : "")).toUtf8().constData());
    }
    if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_LOCATION_PROPERTY)) {
        const char* text = icalproperty_get_location(p);
        icalproperty_set_location(p,
                                  fitted(QString::fromUtf8(text ? text : "")).toUtf8().constData());
    }
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
    icalcomponent* event =
        icalcomponent_isa(calendar.get()) == ICAL_VEVENT_COMPONENT
            ? calendar.get()
            : icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    if (!event)
        return reading;
    if (const char* uid = icalcomponent_get_uid(event))
        reading.uid = QString::fromUtf8(uid);
    // A second event in the object is an override of a series.
    const bool overrides = event != calendar.get() &&
                           icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    if (isSeries(event) || overrides) {
        reading.kind = OwnEventReading::Kind::Recurring;
        reading.text = text;
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
    fitText(event);
    char* fittedText = icalcomponent_as_ical_string_r(calendar.get());
    const QByteArray fittedBytes(fittedText);
    std::free(fittedText);
    const IcsImportResult imported = readIcs(fittedBytes, day.addDays(-1));
    if (imported.entries.size() != 1)
        return reading;
    // Exactly as the data file will give it back (a double quote is stored
    // as ＂, for one): what was synced must compare equal to what is read.
    const DataFileLines stored =
        readDataFileLines(encodeEntryLine(imported.entries.front()), day.addDays(-1));
    if (stored.list.size() != 1 || holdsNoAppointment(stored.list))
        return reading;
    reading.kind = OwnEventReading::Kind::Appointment;
    reading.entry = stored.list.front();
    return reading;
}

} // namespace tanzo
