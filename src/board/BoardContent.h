#pragma once

#include "alarm/CommentLines.h"
#include "board/BoardPage.h"
#include "core/Settings.h"
#include "schedule/ScheduleEntry.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <array>
#include <optional>

namespace tanzo {

struct AppContext;

namespace board {

inline const QString StatusPlaceholder = QStringLiteral("－－－");
inline const QString PlacePlaceholder = QStringLiteral("－－－－－－－");
inline const QString CommentPlaceholder = QStringLiteral("－－－－－－－－－－－－");
inline const QString EndOfDayMessage = QStringLiteral("本日の予定は終了しました");
inline const QString AdjustingPlace = QStringLiteral("調整中");
inline const QString SeqWords[3] = {QStringLiteral("こんど"), QStringLiteral("つぎ"),
                                    QStringLiteral("そのつぎ")};
inline const QString DotCaption = QStringLiteral("：");

constexpr BgrColor Red = 0x0000FF;
constexpr BgrColor Yellow = 0x00FFFF;
constexpr BgrColor Blue = 0xFF0000;

// The current time cut to the minute.
QTime cutToMinute(const QTime& now);

// UpcomingToday: dated today, starting at or after the current minute, and
// not yet arrived.
bool upcomingToday(const ScheduleEntry& entry, const QDate& today, const QTime& now);

// Finds today's next upcoming appointment, starting at the previous one,
// and the page that shows it.
struct PageIndices {
    int nextEntryIndex = -1;
    int firstRowIndex = -1;
    bool operator==(const PageIndices&) const = default;
};
PageIndices locateNextEntry(const DayList& list, int nextEntryIndex, const QDate& today,
                            const QTime& now);

// What the fill knows of one row before it draws it.
struct RowFacts {
    std::optional<ScheduleEntry> entry; // empty when the index is outside the list
    bool inWindow = false;
    bool upcoming = false;
    bool allDay = false; // a subscribed all-day appointment: no time, never upcoming
    bool hasEntry() const { return entry.has_value(); }
};
RowFacts rowFacts(const DayList& list, int index, const QDate& from, const QDate& to,
                  const QDate& today, const QTime& now, bool allDay = false);

struct Caption {
    QString text;
    BgrColor color = 0;
    bool operator==(const Caption&) const = default;
};

// The final frame of each word column; `current` is what the label shows
// before it (the status column may keep it).
Caption finalStatus(const RowFacts& row, const Caption& current, const Settings& settings);
Caption finalPlace(const RowFacts& row, const Caption& current, const Settings& settings,
                   const QDate& today, const QTime& now);
Caption finalComment(const RowFacts& row, int rowNumber, const Caption& current,
                     const Settings& settings);

// The colour of the next status placeholder frame: red, yellow, blue, red...
BgrColor nextPlaceholderColor(BgrColor current);

// A flap value written as two digits with a half-width space: "0 9", "2 3".
QString flapCaption(int value);

// The flap's target value (start hour or minute), or -1 when the row has no
// entry in the window or one without a start time.
int flapTarget(const RowFacts& row, bool hour);

} // namespace board

// The list index of the appointment that row `row` (0-2) of `page` shows.
int pageRowIndex(const BoardPage& page, int row);

// The tool tip of row `row`'s comment: the whole wrapped comment of the
// appointment the row shows, then the first lines of a subscribed event's
// description, or "" when the row shows none (an index past the list, a
// date outside the page's). Text that could be read as markup is shown as
// it is written.
QString commentToolTip(const DayList& list, const BoardPage& page, int row,
                       const QString& description = QString());

} // namespace tanzo
