#pragma once

#include "schedule/ScheduleEntry.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <ostream>

#include "../support/TestEntries.h"

namespace tanzo::test {

inline ScheduleEntry entryAt(const QDate& date, int hour, int minute, int16_t status = 3,
                             const QString& place = QStringLiteral("会議室　"),
                             const QString& comment = QStringLiteral("打合せ"),
                             bool arrived = false) {
    return makeEntry(date, hour, minute, status, place, comment, arrived, arrived);
}

// `count` appointments at 10:00, one a day from `first` on.
inline DayList dailyAppointments(const QDate& first, int count) {
    DayList list;
    for (int i = 0; i < count; ++i)
        list.push_back(makeEntry(first.addDays(i), 10, 0, 3, QStringLiteral("会議室"),
                                 QStringLiteral("comment %1").arg(i)));
    return list;
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
