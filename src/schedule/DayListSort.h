#pragma once

#include "ScheduleEntry.h"

namespace tanzo {

// Orders the list by date, then start time, giving for entries with equal
// date and time exactly the order of the three-step exchange sort
// (for i, for j > i: swap when i's key is greater than j's).
void sortDayList(DayList& list);

// The literal exchange sort, kept as the reference the fast one is tested
// against.
void exchangeSortDayList(DayList& list);

} // namespace tanzo
