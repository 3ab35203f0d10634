#pragma once

#include "schedule/DataFile.h"
#include "schedule/ScheduleStore.h"

#include <QDate>

#include <algorithm>

namespace tanzo::test {

// Gives the store `entries` as a program would: written to its data file
// and read back, so the store holds them as any read leaves a list
// (ordered, notice flags set in memory carried over). A read drops what is
// older than six days before its day, so it reads as of the earliest entry.
inline bool storeEntries(ScheduleStore& store, const DayList& entries) {
    if (!DataFile(store.path()).save(entries))
        return false;
    QDate day = QDate::currentDate();
    for (const ScheduleEntry& e : entries) {
        if (e.dateSerial > 0)
            day = std::min(day, e.date());
    }
    return store.load(day);
}

} // namespace tanzo::test
