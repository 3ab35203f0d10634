#pragma once

#include <QDate>
#include <QStringList>
#include <QTime>

namespace tanzo {

// Appointments can be booked for seven calendar days from the opening date.
constexpr int kBookingDays = 7;

// Items of the date boxes, limited to the booking window: its years, the
// months it has in year, the days it has in year/month.
QStringList yearItems(const QDate& openDate);
QStringList monthItems(const QDate& openDate, int year);
QStringList dayItems(const QDate& openDate, int year, int month);

// Items of the time boxes: the hours for the chosen date, the minutes for
// the chosen date and hour. On the opening date nothing before the opening
// time is offered.
QStringList hourItems(const QDate& openDate, const QTime& openTime, const QDate& chosenDate);
QStringList minuteItems(const QDate& openDate, const QTime& openTime, const QDate& chosenDate,
                        int hour);

// The index of the first item whose number equals the number in text, or -1
// when text is not a whole number or no item has its value ("7" finds "07").
int indexOfNumber(const QStringList& items, const QString& text);

} // namespace tanzo
