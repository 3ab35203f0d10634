#pragma once

#include <QDate>
#include <QString>

#include <cstdint>
#include <vector>

namespace tanzo {

// Hour and minute of a start time.
struct HourMinute {
    int hour = 0;
    int minute = 0;
    bool operator==(const HourMinute&) const = default;
};

// One appointment, with the fields of the data file in their order.
struct ScheduleEntry {
    float dateSerial = 0; // day serial: days since 1899-12-30; 0 marks the placeholder
    float startTime = 0;  // fraction of the day of hour:minute:00
    int16_t status = 0;   // 1 最重要, 2 重要, 3 普通
    QString place;        // always 7 characters
    QString comment;
    bool arrived = false; // the start has been handled by the alarms
    bool preNoticed = false;

    QDate date() const;
    HourMinute startHourMinute() const;
};

constexpr int PlaceLength = 7;
constexpr int MaxDayListEntries = 32767;

// Day serial numbers: whole days since 30 December 1899 (day 0).
float daySerial(const QDate& date);
// An invalid date for serials no calendar reaches (and NaN).
QDate dateFromSerial(double serial);
// Whether the entry's date is a calendar day the board and the editor can
// show (up to 31 December 9999, four-digit years).
bool hasShowableDate(const ScheduleEntry& entry);
// Start time as a fraction of a day, and back (rounded to the whole second
// first, so that 10:00 does not come out as 09:59:59).
float timeFraction(int hour, int minute);
HourMinute hourMinuteFromFraction(double fraction);

// Pads with spaces or cuts to exactly seven characters.
QString fitPlace(const QString& text);
// The placeholder's place: seven NUL characters.
QString placeholderPlace();

// "最重要" -> 1, "重要" -> 2, anything else -> 3.
int16_t statusFromText(const QString& text);
// 1 -> "最重要", 2 -> "重要", 3 -> "普通", anything else -> "".
QString statusWord(int status);

// Trims ordinary and ideographic spaces at both ends.
QString trimSpaces(const QString& text);
// The first `units` UTF-16 units of the text or fewer, cut only between
// whole characters (a surrogate pair, an emoji sequence or a letter with its
// marks is kept or dropped whole).
QString leftWhole(const QString& text, qsizetype units);

// The in-memory list of appointments, ordered by date and start time. It is
// never empty: with nothing loaded it holds one all-zero placeholder.
using DayList = std::vector<ScheduleEntry>;

ScheduleEntry placeholderEntry();
DayList placeholderDayList();
// True when the list holds only the placeholder (element 0 has date 0).
bool holdsNoAppointment(const DayList& list);

} // namespace tanzo
