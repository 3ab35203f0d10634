#pragma once

#include "SubscriptionCopy.h"

#include <QByteArray>
#include <QDate>

#include <vector>

namespace tanzo {

struct ConvertedEvents {
    bool isCalendar = false;
    std::vector<SubscribedEntry> entries;
    bool cut = false; // more events than a subscription may hold
};

// The appointments of an iCalendar text in the seven days from today, each
// with its event's UID. Every event (with its overrides, by UID) goes
// through the import on its own, with the calendar's time zones, so that
// the times come out exactly as an import of the file gives them, and two
// events at the same time and place both stay.
ConvertedEvents convertCalendar(const QByteArray& bytes, const QDate& today);

// The largest text a subscription hands to the conversion.
constexpr qint64 kMaxCalendarBytes = 16 * 1024 * 1024;

} // namespace tanzo
