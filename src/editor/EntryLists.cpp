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

// One item for each distinct value that the booking window's days kept by
// keep give; the days are in order, so equal values are always neighbours.
template <typename Keep, typename Text>
QStringList windowItems(const QDate& openDate, Keep keep, Text text) {
    QStringList items;
    for (int k = 0; k < kBookingDays; ++k) {
        const QDate d = openDate.addDays(k);
        if (!keep(d))
            continue;
        const QString item = text(d);
        if (items.isEmpty() || items.last() != item)
            items << item;
    }
    return items;
}
} // namespace

QStringList yearItems(const QDate& openDate) {
    return windowItems(
        openDate, [](const QDate&) { return true; },
        [](const QDate& d) { return yearText(d.year()); });
}

QStringList monthItems(const QDate& openDate, int year) {
    return windowItems(
        openDate, [year](const QDate& d) { return d.year() == year; },
        [](const QDate& d) { return twoDigits(d.month()); });
}

QStringList dayItems(const QDate& openDate, int year, int month) {
    return windowItems(
        openDate, [year, month](const QDate& d) { return d.year() == year && d.month() == month; },
        [](const QDate& d) { return twoDigits(d.day()); });
}

QStringList hourItems(const QDate& openDate, const QTime& openTime, const QDate& chosenDate) {
    return range(chosenDate == openDate ? openTime.hour() : 0, 23);
}

QStringList minuteItems(const QDate& openDate, const QTime& openTime, const QDate& chosenDate,
                        int hour) {
    return range(chosenDate == openDate && hour == openTime.hour() ? openTime.minute() : 0, 59);
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
