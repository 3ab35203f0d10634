#pragma once

#include "core/Settings.h"
#include "schedule/ScheduleEntry.h"
#include "schedule/ScheduleStore.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <functional>
#include <vector>

namespace tanzo {

// NoticeKind: what a due entry gets.
enum NoticeKind { SettledSilently = -1, AdvanceNotice = 0, StartNotice = 1, OverdueWarning = 2 };

// Called once a notice's window is on the screen.
using NoticeShown = std::function<void()>;
// Receives each notice: place and comment trimmed of outer spaces, and what
// to call once its window is on the screen.
using NoticeSink =
    std::function<void(const QString& place, const QString& comment, int kind, NoticeShown shown)>;

// A notice that has come due: the entry's index in the list and what it
// gets. Every kind but the advance notice settles the entry.
struct DueNotice {
    int index = 0;
    int kind = StartNotice;
};

// Looks at today's entries at the time of day `now` (seconds count for "has
// the start come"): the notices due, in list order. Changes nothing.
std::vector<DueNotice> dueNotices(const DayList& list, const Settings& settings, const QDate& today,
                                  const QTime& now);

// The flags a due notice settles on its entry: an advance notice only the
// advance flag, any other both.
NoticeMark noticeMark(const DueNotice& due);

// Whether dueNotices would give a notice (advance, start or overdue)
// within the next `leadSeconds`, so that what the notice needs can be made
// ready before it is due.
bool noticeDueWithin(const DayList& list, const Settings& settings, const QDate& today,
                     const QTime& now, int leadSeconds);

} // namespace tanzo
