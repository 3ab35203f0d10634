#pragma once

#include "ScheduleEntry.h"

#include <QHash>

#include <optional>
#include <vector>

namespace tanzo {

// Finds the notice flags an appointment takes over from a list: those of
// the list's first entry with the same date and the same hour and minute.
class NoticeFlagLookup {
public:
    explicit NoticeFlagLookup(const DayList& list);
    // The entry whose flags a record of this date and start takes over, or
    // null when there is none.
    const ScheduleEntry* find(float entryDate, float startTime) const;

private:
    const DayList& m_list;
    QHash<qint64, int> m_first;
};

// An appointment's identity: its content. The data file holds no other,
// and notice flags are not part of it.
bool sameAppointment(const ScheduleEntry& a, const ScheduleEntry& b);

// One line of an edited list: the appointment it holds now, and the
// appointment of the list the edit started from that it came from (none
// for a line added since).
struct EditedLine {
    ScheduleEntry entry;
    std::optional<ScheduleEntry> origin;
};

struct MergedEdit {
    // The merged list in the edited list's order, followed by what others
    // added meanwhile. Each line's origin is its appointment in `current`,
    // so the result can serve as the next edit's start.
    std::vector<EditedLine> lines;
    // For each line, the index of the edited line it is; -1 for one that
    // others added.
    std::vector<int> source;
    // Appointments changed both in the edit and by someone else since the
    // edit started: the edit's version was kept.
    std::vector<ScheduleEntry> conflicts;
};

// Lays an edit of `base` over `current`, what the list has become in the
// meantime (another program's write, a command, an import):
// - what others added stays; what others deleted or changed and the edit
//   left as it was goes, the others' version taking its place;
// - the edit's own additions, changes and deletions are made;
// - where both changed the same appointment the edit's version is kept and
//   the others' version of it (the one added at the same date and time, or
//   failing that with the same place and comment) is dropped.
// Lines of the edit take the notice flags `current` has for them.
MergedEdit mergeEdit(const DayList& base, const std::vector<EditedLine>& edited,
                     const DayList& current);

// The lines of an unedited list, each its own origin.
std::vector<EditedLine> uneditedLines(const DayList& list);
DayList entriesOf(const std::vector<EditedLine>& lines);

// Carries the flags of `previous` over to the same entries of `fresh` (a
// new read of the file), so that a reload never brings back a notice the
// user has seen. An entry appearing twice takes the flags of its copies in
// order.
void carryNoticeFlags(const DayList& previous, DayList& fresh);

// The same appointments with the same flags, in the same order.
bool sameEntries(const DayList& a, const DayList& b);

} // namespace tanzo
