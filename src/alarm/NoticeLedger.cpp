#include "NoticeLedger.h"

#include "schedule/ScheduleMerge.h"

#include <algorithm>

namespace tanzo {
namespace {

// Whether the entry still lacks a flag the mark sets.
bool stillUnsettled(const ScheduleEntry& e, const NoticeMark& mark) {
    return (mark.arrived && !e.arrived) || (mark.preNoticed && !e.preNoticed);
}

} // namespace

std::vector<DueNotice> NoticeLedger::withoutPending(const DayList& view,
                                                    const std::vector<DueNotice>& due) const {
    // Each pending notice stands for one due entry: two equal appointments
    // get a notice each.
    std::vector<bool> claimed(m_notices.size(), false);
    std::vector<DueNotice> fresh;
    for (const DueNotice& d : due) {
        const ScheduleEntry& e = view[static_cast<size_t>(d.index)];
        const bool arrives = noticeMark(d).arrived;
        bool pending = false;
        for (size_t i = 0; i < m_notices.size() && !pending; ++i) {
            if (!claimed[i] && m_notices[i].mark.arrived == arrives &&
                sameAppointment(m_notices[i].entry, e)) {
                claimed[i] = true;
                pending = true;
            }
        }
        if (!pending)
            fresh.push_back(d);
    }
    return fresh;
}

int NoticeLedger::hand(const ScheduleEntry& entry, const DueNotice& due) {
    const int ticket = m_nextTicket++;
    m_notices.push_back({ticket, entry, noticeMark(due), due.kind, false});
    return ticket;
}

void NoticeLedger::markShown(int ticket) {
    for (Handed& h : m_notices) {
        if (h.ticket == ticket)
            h.shown = true;
    }
}

bool NoticeLedger::hasShown() const {
    return std::any_of(m_notices.cbegin(), m_notices.cend(),
                       [](const Handed& h) { return h.shown; });
}

std::vector<NoticeMark> NoticeLedger::takeShown(const DayList& view, bool* started) {
    std::vector<NoticeMark> marks;
    std::vector<bool> taken(view.size(), false);
    bool anyStarted = false;
    for (const Handed& h : m_notices) {
        if (!h.shown)
            continue;
        for (size_t i = 0; i < view.size(); ++i) {
            if (!taken[i] && sameAppointment(view[i], h.entry) && stillUnsettled(view[i], h.mark)) {
                taken[i] = true;
                marks.push_back({static_cast<int>(i), h.mark.arrived, h.mark.preNoticed});
                anyStarted = anyStarted || h.kind == StartNotice;
                break;
            }
        }
    }
    std::erase_if(m_notices, [](const Handed& h) { return h.shown; });
    if (started)
        *started = anyStarted;
    return marks;
}

} // namespace tanzo
