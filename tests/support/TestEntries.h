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
    e.dateSerial = daySerial(date);
    e.startTime = timeFraction(hour, minute);
    e.status = status;
    e.place = fitPlace(place);
    e.comment = comment;
    e.arrived = arrived;
    e.preNoticed = preNoticed;
    return e;
}

} // namespace tanzo::test
