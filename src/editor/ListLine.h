#pragma once

#include "schedule/ScheduleEntry.h"

#include <QDate>
#include <QMetaType>
#include <QString>
#include <QTime>

#include <optional>

namespace tanzo {

// The eight text fields of one line of the editor's list, as the line shows
// them (untrimmed: the ideographic spaces that fill them up are kept).
struct ListFields {
    QString year;
    QString month;
    QString day;
    QString status;
    QString place;
    QString hour;
    QString minute;
    QString comment;
    bool operator==(const ListFields&) const = default;
};

// What the entry controls hold when a line is composed: the texts of the
// selected items and of the two text boxes, in the fields of a line (not yet
// filled up).
using EntryInputs = ListFields;

inline const QString kLineSeparator = QStringLiteral(" | ");

// A year as the lists and lines show it: below 10 with a leading "0".
QString yearText(int year);
// Fills text at its end with spaces up to `columns` half-width columns of a
// fixed-pitch font (a full-width character takes two).
QString fillToColumns(const QString& text, int columns);
// Fills text at its end with ideographic spaces up to width characters.
QString fillIdeographic(const QString& text, int width);

ListFields fieldsFromEntry(const ScheduleEntry& entry);
ListFields fieldsFromInputs(const EntryInputs& inputs);
QString joinListLine(const ListFields& fields);
// The line of a subscribed all-day appointment: 終日 where the time goes.
QString allDayListLine(const ListFields& fields);
// The line as the list shows it: the place filled up to its seven full-width
// columns and the comment trimmed, whatever padding the entry came with
// (ideographic spaces from the editor, spaces from the data file, none from
// the command line or an import), so that the columns line up, half-width
// text included. The record behind the line keeps the fields as they are.
QString shownListLine(const ListFields& fields);

QString lineFromEntry(const ScheduleEntry& entry);
QString lineFromInputs(const EntryInputs& inputs);

// Reads a line back into its fields; empty when a delimiter is missing.
std::optional<ListFields> splitListLine(const QString& line);

// The calendar date and start time the fields name; invalid when a field is
// not a number or names no real date or time.
QDate fieldsDate(const ListFields& fields);
QTime fieldsTime(const ListFields& fields);

// True when the line's appointment lies before the editor's opening moment
// (the line's seconds count as zero).
bool isPastLine(const ListFields& fields, const QDate& openDate, const QTime& openTime);
bool isPastLine(const QString& line, const QDate& openDate, const QTime& openTime);

} // namespace tanzo

Q_DECLARE_METATYPE(tanzo::ListFields)
