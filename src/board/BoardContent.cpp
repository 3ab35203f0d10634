#include "BoardContent.h"

#include "alarm/CommentLines.h"
#include "core/Settings.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"

#include <QTextDocument>

namespace tanzo {

namespace board {

QTime cutToMinute(const QTime& now) {
    return QTime(now.hour(), now.minute());
}

namespace {

bool startsAtOrAfter(const ScheduleEntry& entry, const QTime& now) {
    const HourMinute start = entry.startHourMinute();
    if (start.hour != now.hour())
        return start.hour > now.hour();
    return start.minute >= now.minute();
}

QString monthDay(const QDate& date) {
    return QStringLiteral("%1/%2").arg(date.month()).arg(date.day());
}

} // namespace

bool upcomingToday(const ScheduleEntry& entry, const QDate& today, const QTime& now) {
    return entry.date() == today && startsAtOrAfter(entry, now) && !entry.arrived;
}

PageIndices locateNextEntry(const DayList& list, int nextEntryIndex, const QDate& today,
                            const QTime& now) {
    const int last = static_cast<int>(list.size()) - 1;
    for (int i = std::max(nextEntryIndex, 0); i <= last; ++i) {
        const ScheduleEntry& entry = list[i];
        const QDate date = entry.date();
        if (date == today) {
            if (startsAtOrAfter(entry, now) && !entry.arrived)
                return {i, i};
        } else if (date > today) {
            return {-1, i - 1};
        }
    }
    return {-1, list.size() == 1 ? -1 : last + 1};
}

RowFacts rowFacts(const DayList& list, int index, const QDate& from, const QDate& to,
                  const QDate& today, const QTime& now, bool allDay) {
    RowFacts row;
    if (index < 0 || index >= static_cast<int>(list.size()))
        return row;
    row.entry = list[index];
    const QDate date = row.entry->date();
    row.inWindow = from <= date && date <= to;
    row.allDay = allDay;
    row.upcoming = !allDay && row.inWindow && upcomingToday(*row.entry, today, now);
    return row;
}

Caption finalStatus(const RowFacts& row, const Caption& current, const Settings& settings) {
    if (!row.inWindow)
        return {QString(), current.color};
    Caption result = current;
    switch (row.entry->status) {
    case 1:
        result = {statusWord(1), Red};
        break;
    case 2:
        result = {statusWord(2), Yellow};
        break;
    case 3:
        result = {statusWord(3), Blue};
        break;
    default:
        break;
    }
    if (!row.upcoming)
        result = {monthDay(row.entry->date()), settings.foreColor2};
    return result;
}

Caption finalPlace(const RowFacts& row, const Caption& current, const Settings& settings,
                   const QDate& today, const QTime& now) {
    if (!row.hasEntry())
        return {QString(), current.color};
    const QString text = row.inWindow ? trimSpaces(row.entry->place) : QString();
    const bool upcoming = !row.allDay && upcomingToday(*row.entry, today, now);
    return {text, upcoming ? settings.foreColor1 : settings.foreColor2};
}

Caption finalComment(const RowFacts& row, int rowNumber, const Caption& current,
                     const Settings& settings) {
    if (row.inWindow) {
        const QString line = splitComment(trimSpaces(row.entry->comment))[0];
        return {line, row.upcoming ? settings.foreColor1 : settings.foreColor2};
    }
    if (rowNumber == 0)
        return {EndOfDayMessage, settings.foreColor1};
    return {QString(), current.color};
}

BgrColor nextPlaceholderColor(BgrColor current) {
    if (current == Red)
        return Yellow;
    if (current == Yellow)
        return Blue;
    return Red;
}

QString flapCaption(int value) {
    if (value <= 9)
        return QStringLiteral("0 %1").arg(value);
    const QString digits = QString::number(value);
    return digits.left(1) + QLatin1Char(' ') + digits.right(1);
}

int flapTarget(const RowFacts& row, bool hour) {
    if (!row.inWindow || row.allDay)
        return -1;
    const HourMinute start = row.entry->startHourMinute();
    return hour ? start.hour : start.minute;
}

} // namespace board

int pageRowIndex(const BoardPage& page, int row) {
    return page.firstRow + row;
}

QString commentToolTip(const DayList& list, const BoardPage& page, int row,
                       const QString& description) {
    const int index = pageRowIndex(page, row);
    if (index < 0 || index >= static_cast<int>(list.size()))
        return {};
    const QDate date = list[static_cast<size_t>(index)].date();
    if (!page.from.isValid() || date < page.from || page.to < date)
        return {};
    const QString comment = trimSpaces(list[static_cast<size_t>(index)].comment);
    QString tip;
    if (!comment.isEmpty()) {
        const CommentLines lines = splitComment(comment);
        tip = lines[0] + lines[1] + lines[2] + lines[3];
    }
    if (!description.isEmpty())
        tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + description;
    // A tool tip that looks like markup is drawn as rich text: a calendar's
    // text is the server's, and is shown as written.
    return Qt::mightBeRichText(tip) ? Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal) : tip;
}

} // namespace tanzo
