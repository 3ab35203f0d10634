#pragma once

#include "schedule/ScheduleEntry.h"

#include <QDate>
#include <QString>

namespace tanzo::test {

// An appointment as the data file would hold it.
inline ScheduleEntry makeEntry(const QDate& date, int hour, int minute, int16_t status,
                               const QString& place, const QString& comment, bool arrived = false,
                               bool preNoticed = false) {
    ScheduleEntry e;
    e.EntryDate = daySerial(date);
    e.StartTime = timeFraction(hour, minute);
    e.Status = status;
    e.Place = fitPlace(place);
    e.Comment = comment;
    e.Arrived = arrived;
    e.PreNoticed = preNoticed;
    return e;
}

} // namespace tanzo::test
