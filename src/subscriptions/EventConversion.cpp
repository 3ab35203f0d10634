#include "EventConversion.h"

#include "calendar/IcsImport.h"

#include <QCryptographicHash>
#include <QMap>

#include <libical/ical.h>

#include <memory>

namespace tanzo {
namespace {

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

// Calendars in the text: the root itself, or each VCALENDAR under an XROOT.
std::vector<icalcomponent*> calendarsOf(icalcomponent* root) {
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT)
        return {root};
    std::vector<icalcomponent*> calendars;
    for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
        calendars.push_back(c);
    return calendars;
}

QString uidOf(icalcomponent* event) {
    const char* uid = icalcomponent_get_uid(event);
    if (uid && *uid)
        return QString::fromUtf8(uid);
    // An event without UID still needs a stable key: its own text.
    char* text = icalcomponent_as_ical_string(event);
    return QStringLiteral("nouid-") +
           QString::fromLatin1(
               QCryptographicHash::hash(QByteArray(text), QCryptographicHash::Sha1).toHex());
}

} // namespace

ConvertedEvents convertCalendar(const QByteArray& bytes, const QDate& today) {
    ConvertedEvents out;
    if (bytes.size() > kMaxCalendarBytes)
        return out;
    ComponentPtr root(icalparser_parse_string(bytes.constData()));
    if (!root)
        return out;
    const std::vector<icalcomponent*> calendars = calendarsOf(root.get());
    out.isCalendar = !calendars.empty();
    for (icalcomponent* calendar : calendars) {
        // Events grouped by UID, in the order they first appear.
        QMap<QString, std::vector<icalcomponent*>> byUid;
        std::vector<QString> order;
        for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             e; e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            const QString uid = uidOf(e);
            if (!byUid.contains(uid))
                order.push_back(uid);
            byUid[uid].push_back(e);
        }
        std::vector<icalcomponent*> zones;
        for (icalcomponent* z =
                 icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT);
             z; z = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT))
            zones.push_back(z);
        for (const QString& uid : order) {
            if (out.entries.size() >= size_t(kMaxSubscribedEntries)) {
                out.cut = true;
                break;
            }
            ComponentPtr one(icalcomponent_new_vcalendar());
            icalcomponent_add_property(one.get(), icalproperty_new_version("2.0"));
            icalcomponent_add_property(one.get(),
                                       icalproperty_new_prodid("-//Merovane//Tanzo//JA"));
            for (icalcomponent* z : zones)
                icalcomponent_add_component(one.get(), icalcomponent_new_clone(z));
            for (icalcomponent* e : byUid.value(uid))
                icalcomponent_add_component(one.get(), icalcomponent_new_clone(e));
            const QByteArray text(icalcomponent_as_ical_string(one.get()));
            for (const ScheduleEntry& entry : importIcs(text, today, {}).entries)
                out.entries.push_back({entry, uid});
        }
    }
    if (out.entries.size() > size_t(kMaxSubscribedEntries)) {
        out.entries.resize(kMaxSubscribedEntries);
        out.cut = true;
    }
    return out;
}

} // namespace tanzo
