#pragma once

#include "schedule/ScheduleEntry.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <ostream>

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

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (const QString& text : list)
        *os << '"' << text.toStdString() << "\" ";
    *os << '}';
}
