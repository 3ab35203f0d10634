#pragma once

#include "ListLine.h"
#include "schedule/ScheduleEntry.h"
#include "schedule/ScheduleMerge.h"

#include <QMetaType>
#include <QString>

#include <optional>
#include <vector>

namespace tanzo {

class ScheduleStore;

// Turns a line's fields into a record; the place is fitted into its seven
// characters and the comment kept as it is, filling spaces included. Empty
// with a description in error when a field is not a number or the date or
// time does not exist.
std::optional<ScheduleEntry> entryFromFields(const ListFields& fields, QString* error = nullptr);

// A line of the editor's list: its fields, and the appointment it was
// loaded from (none for a line added in the editor).
struct EditorLine {
    ListFields fields;
    std::optional<ScheduleEntry> origin;
};

struct WriteOutcome {
    bool ok = false;
    // Set when a line could not be turned into a record; shown to the user.
    QString fieldError;
    // What was written, and the appointments changed elsewhere as well.
    MergedEdit merged;
};

// Hands the editor's lines, in the order given (the caller passes them
// from the bottom of the list to the top), to the store as its changes to
// `base`, the list it showed: what others changed meanwhile stays. Each
// appointment keeps the notice flags it already had. The data file is
// replaced only when every line was written; otherwise it keeps its
// previous content.
WriteOutcome commitSchedule(const DayList& base, const std::vector<EditorLine>& lines,
                            ScheduleStore& schedule);

// "2027/03/15 10:00 会議室" for each appointment, a line each: what the
// user is told of appointments changed both here and elsewhere.
QString conflictText(const std::vector<ScheduleEntry>& conflicts);

} // namespace tanzo

Q_DECLARE_METATYPE(tanzo::ScheduleEntry)
