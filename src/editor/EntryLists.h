#pragma once

#include <QDate>
#include <QStringList>
#include <QTime>

namespace tanzo {

// Appointments can be booked for seven calendar days from the opening date.
constexpr int kBookingDays = 7;

// Items of the date selectors, limited to the booking window:
// 'Y' the years, 'M' the months of year, 'D' the days of year/month.
QStringList FillDateList(char which, const QDate& openDate, int year = 0, int month = 0);

// Items of the time boxes: 'H' the hours for the chosen date, 'M' the
// minutes for the chosen date and hour. On the opening date nothing before
// the opening time is offered.
QStringList FillTimeList(char which, const QDate& openDate, const QTime& openTime,
                         const QDate& chosenDate, int hour = -1);

// The index of the first item whose number equals the number in text, or -1
// when text is not a whole number or no item has its value ("7" finds "07").
int indexOfNumber(const QStringList& items, const QString& text);

} // namespace tanzo
