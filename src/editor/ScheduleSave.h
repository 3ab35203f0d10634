#pragma once

#include "ListLine.h"
#include "schedule/ScheduleEntry.h"

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace tanzo {

class ScheduleStore;

// Finds the notice flags of an appointment already in the day list: the
// first entry with the same date and the same hour and minute.
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

// Turns a line's fields into a record; the place is fitted into its seven
// characters and the comment kept as it is, filling spaces included. Empty
// with a description in error when a field is not a number or the date or
// time does not exist.
std::optional<ScheduleEntry> entryFromFields(const ListFields& fields, QString* error = nullptr);

struct WriteOutcome {
    bool ok = false;
    // Set when a line could not be turned into a record; shown to the user.
    QString fieldError;
};

// Writes the lines in the order given (the caller passes them from the
// bottom of the list to the top) through the store, each appointment
// keeping the notice flags it already had. The data file is replaced only
// when every line was written; otherwise it keeps its previous content.
WriteOutcome commitSchedule(const std::vector<ListFields>& lines, ScheduleStore& schedule);

} // namespace tanzo
