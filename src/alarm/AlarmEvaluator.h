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
// Receives each notice: place and comment trimmed of outer spaces, for an
// advance notice how many minutes before the start it comes (negative
// after it), and what to call once its window is on the screen.
using NoticeSink = std::function<void(const QString& place, const QString& comment, int kind,
                                      int leadMinutes, NoticeShown shown)>;

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

// A subscribed appointment's own reminder that has come due: the indices
// of the read-only entry and of its reminder, and how many minutes before
// the start it comes (negative after it).
struct DueReminder {
    int entry = 0;
    int reminder = 0;
    int leadMinutes = 0;
};

// The reminders not yet given whose minute is the minute of `now`, as the
// board's advance notice comes only in its own minute: one whose minute
// passed while the board was off is not given late. A reminder at the
// start, or at the board's own advance notice, is left to that notice.
std::vector<DueReminder> dueReminders(const std::vector<ReadOnlyEntry>& entries,
                                      const Settings& settings, const QDateTime& now);

// Whether a reminder not yet given comes within the next `leadSeconds`.
bool reminderDueWithin(const std::vector<ReadOnlyEntry>& entries, const QDateTime& now,
                       int leadSeconds);

} // namespace tanzo
