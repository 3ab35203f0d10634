#pragma once

#include "AlarmEvaluator.h"

#include <vector>

namespace tanzo {

// The notices handed to their windows and not yet settled in the list. A
// notice counts as given only once its window is on the screen; until then
// it is pending here, so that the next ticks neither hand it out again nor
// write its flags. Entries are known by their content, not by their index:
// the list is read again, merged or joined by subscribed appointments while
// a window waits for the window manager, and indices move.
class NoticeLedger {
public:
    // The due notices that are not already on their way, in their order.
    std::vector<DueNotice> withoutPending(const DayList& view,
                                          const std::vector<DueNotice>& due) const;
    // Records a notice handed to its window; returns its ticket.
    int hand(const ScheduleEntry& entry, const DueNotice& due);
    // The window of the notice with this ticket is on the screen.
    void markShown(int ticket);
    bool hasShown() const;
    // The flags the shown notices settle, as indices of `view` (an entry that
    // has gone meanwhile settles nothing), and forgets those notices.
    // `started` tells whether a start notice was among them.
    std::vector<NoticeMark> takeShown(const DayList& view, bool* started);
    int pendingCount() const { return static_cast<int>(m_notices.size()); }

private:
    struct Handed {
        int ticket = 0;
        ScheduleEntry entry;
        NoticeMark mark;
        int kind = StartNotice;
        bool shown = false;
    };
    std::vector<Handed> m_notices;
    int m_nextTicket = 1;
};

} // namespace tanzo
