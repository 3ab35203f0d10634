#include "EventConversion.h"

#include "calendar/IcsImport.h"

#include <QCryptographicHash>
#include <QMap>

#include <libical/ical.h>

#include <algorithm>
#include <memory>
#include <tuple>

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

// Earlier start first; an all-day row before the timed ones of its day.
bool startsBefore(const SubscribedEntry& a, const SubscribedEntry& b) {
    return std::tuple(a.entry.dateSerial, !a.allDay, a.entry.startTime) <
           std::tuple(b.entry.dateSerial, !b.allDay, b.entry.startTime);
}

void addConverted(ConvertedEvents& out, IcsImportResult& result, const QString& uid) {
    for (size_t i = 0; i < result.entries.size(); ++i) {
        AppointmentDetails& d = result.entryDetails[i];
        out.entries.push_back(
            {result.entries[i], uid, false, std::move(d.description), std::move(d.reminders)});
    }
    for (size_t i = 0; i < result.allDayEntries.size(); ++i)
        out.entries.push_back({result.allDayEntries[i],
                               uid,
                               true,
                               std::move(result.allDayDetails[i].description),
                               {}});
    // Held to twice the cap while reading: a file of many events must not
    // hold them all.
    if (out.entries.size() > 2 * size_t(kMaxSubscribedEntries))
        out.leftOut += keepSoonest(out.entries, kMaxSubscribedEntries);
}

} // namespace

int keepSoonest(std::vector<SubscribedEntry>& entries, int max) {
    std::stable_sort(entries.begin(), entries.end(), startsBefore);
    const int dropped = std::max(0, static_cast<int>(entries.size()) - max);
    if (dropped > 0)
        entries.resize(size_t(max));
    return dropped;
}

int keepSoonest(QMap<QString, RemoteResource>& resources, int max) {
    struct Ref {
        const SubscribedEntry* entry;
        QString resource;
    };
    std::vector<Ref> all;
    for (auto it = resources.cbegin(); it != resources.cend(); ++it) {
        for (const SubscribedEntry& e : it->entries)
            all.push_back({&e, it.key()});
    }
    if (all.size() <= size_t(max))
        return 0;
    std::stable_sort(all.begin(), all.end(),
                     [](const Ref& a, const Ref& b) { return startsBefore(*a.entry, *b.entry); });
    QMap<QString, std::vector<SubscribedEntry>> kept;
    for (size_t i = 0; i < size_t(max); ++i)
        kept[all[i].resource].push_back(*all[i].entry);
    const int dropped = static_cast<int>(all.size()) - max;
    for (auto it = resources.begin(); it != resources.end(); ++it) {
        std::vector<SubscribedEntry> entries = kept.take(it.key());
        const int lost = static_cast<int>(it->entries.size() - entries.size());
        if (lost == 0)
            continue;
        std::stable_sort(entries.begin(), entries.end(), startsBefore);
        it->entries = std::move(entries);
        it->leftOut += lost;
        it->etag.clear();
        it->lastModified.clear();
    }
    return dropped;
}

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
            ComponentPtr one(icalcomponent_new_vcalendar());
            icalcomponent_add_property(one.get(), icalproperty_new_version("2.0"));
            icalcomponent_add_property(one.get(),
                                       icalproperty_new_prodid("-//Merovane//Tanzo//JA"));
            for (icalcomponent* z : zones)
                icalcomponent_add_component(one.get(), icalcomponent_new_clone(z));
            for (icalcomponent* e : byUid.value(uid))
                icalcomponent_add_component(one.get(), icalcomponent_new_clone(e));
            const QByteArray text(icalcomponent_as_ical_string(one.get()));
            IcsImportResult result = readIcs(text, today, nullptr, IcsTarget::Subscription);
            addConverted(out, result, uid);
        }
    }
    out.leftOut += keepSoonest(out.entries, kMaxSubscribedEntries);
    return out;
}

ConvertedResources convertResources(const std::vector<std::pair<QString, QByteArray>>& fetched,
                                    QDate today) {
    ConvertedResources out;
    size_t total = 0;
    for (const auto& [href, bytes] : fetched) {
        ConvertedEvents events = convertCalendar(bytes, today);
        out.anyCalendar = out.anyCalendar || events.isCalendar;
        total += events.entries.size();
        RemoteResource& r = out.byResource[href];
        r.entries = std::move(events.entries);
        r.leftOut = events.leftOut;
        // Many events, each a resource of its own: held to twice the cap.
        if (total > 2 * size_t(kMaxSubscribedEntries)) {
            keepSoonest(out.byResource, kMaxSubscribedEntries);
            total = kMaxSubscribedEntries;
        }
    }
    return out;
}

} // namespace tanzo
