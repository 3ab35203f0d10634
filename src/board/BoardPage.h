#pragma once

#include "schedule/ScheduleEntry.h"

namespace tanzo {

// Which appointments the board's three rows show.
struct BoardPage {
    int firstRow = 0;   // list index of the first row
    int nextEntry = -1; // today's next upcoming appointment, -1 when none
    // The dates the rows show appointments of; a row whose appointment lies
    // outside shows none (nothing before the first fill).
    QDate from;
    QDate to;
};

// What the page commands and the board menu look at.
struct PageView {
    const DayList& list;
    BoardPage page;
    bool filling = false; // the rows are being redrawn
};

} // namespace tanzo
