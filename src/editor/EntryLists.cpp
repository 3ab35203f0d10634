#include "EntryLists.h"

#include "ListLine.h"

namespace tanzo {
namespace {
QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QStringList range(int first, int last) {
    QStringList items;
    for (int v = first; v <= last; ++v)
        items << twoDigits(v);
    return items;
}

// Adds a value unless it repeats the last item: the window's days are in
// order, so equal values are always neighbours.
void addDistinct(QStringList& items, const QString& text) {
    if (items.isEmpty() || items.last() != text)
        items << text;
}
} // namespace

QStringList FillDateList(char which, const QDate& openDate, int year, int month) {
    QStringList items;
    for (int k = 0; k < kBookingDays; ++k) {
        const QDate d = openDate.addDays(k);
        switch (which) {
        case 'Y':
            addDistinct(items, yearText(d.year()));
            break;
        case 'M':
            if (d.year() == year)
                addDistinct(items, twoDigits(d.month()));
            break;
        case 'D':
            if (d.year() == year && d.month() == month)
                addDistinct(items, twoDigits(d.day()));
            break;
        default:
            break;
        }
    }
    return items;
}

QStringList FillTimeList(char which, const QDate& openDate, const QTime& openTime,
                         const QDate& chosenDate, int hour) {
    const bool openingDay = chosenDate == openDate;
    if (which == 'H')
        return range(openingDay ? openTime.hour() : 0, 23);
    if (which == 'M')
        return range(openingDay && hour == openTime.hour() ? openTime.minute() : 0, 59);
    return {};
}

int indexOfNumber(const QStringList& items, const QString& text) {
    if (text.isEmpty() || text.size() > 9)
        return -1;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    const int wanted = text.toInt();
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].toInt() == wanted)
            return i;
    }
    return -1;
}

} // namespace tanzo
