#pragma once

#include "SubscriptionCopy.h"

#include <QByteArray>
#include <QDate>
#include <QMap>

#include <vector>

namespace tanzo {

struct ConvertedEvents {
    bool isCalendar = false;
    // The soonest appointments (kMaxSubscribedEntries at most), all-day
    // ones with them, in time order.
    std::vector<SubscribedEntry> entries;
    int leftOut = 0; // later ones, past the cap
};

// The appointments of an iCalendar text in the seven days from today, each
// with its event's UID, every character of their text kept, and a row for
// each day of an all-day event. Every event (with its overrides, by UID)
// goes through the import on its own, with the calendar's time zones, so
// that the times come out exactly as an import of the file gives them, and
// two events at the same time and place both stay.
ConvertedEvents convertCalendar(const QByteArray& bytes, const QDate& today);

// Keeps the `max` soonest appointments (all-day ones first on their day)
// and returns how many later ones it dropped. Ties keep their order.
int keepSoonest(std::vector<SubscribedEntry>& entries, int max);
// The same over the resources of a copy: a resource that loses
// appointments counts them in its leftOut and forgets its validators, so
// that it is fetched whole again when there is room.
int keepSoonest(QMap<QString, RemoteResource>& resources, int max);

// The events of each fetched CalDAV resource (href, iCalendar text) in the
// seven days from today, held to the cap as they come; on the worker.
struct ConvertedResources {
    QMap<QString, RemoteResource> byResource; // entries and leftOut only
    bool anyCalendar = false;
};
ConvertedResources convertResources(const std::vector<std::pair<QString, QByteArray>>& fetched,
                                    QDate today);

// The largest text a subscription hands to the conversion.
constexpr qint64 kMaxCalendarBytes = 16 * 1024 * 1024;

} // namespace tanzo
