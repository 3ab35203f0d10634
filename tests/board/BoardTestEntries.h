#pragma once

#include "schedule/ScheduleEntry.h"

#include <QDate>
#include <QString>

namespace tanzo::test {

inline ScheduleEntry entryAt(const QDate& date, int hour, int minute, int16_t status = 3,
                             const QString& place = QStringLiteral("会議室　"),
                             const QString& comment = QStringLiteral("打合せ"),
                             bool arrived = false) {
    ScheduleEntry e;
    e.EntryDate = daySerial(date);
    e.StartTime = timeFraction(hour, minute);
    e.Status = status;
    e.Place = fitPlace(place);
    e.Comment = comment;
    e.Arrived = arrived;
    e.PreNoticed = arrived;
    return e;
}

} // namespace tanzo::test
