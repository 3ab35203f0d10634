#pragma once

#include "ScheduleCommands.h"

#include <functional>

namespace tanzo {

class OwnCalendar;

// Whether the command concerns the own calendar: --own-calendar, --sync
// (which pulls it too) and --subscriptions (which lists it).
bool concernsOwnCalendar(const Command& command);

// Runs --own-calendar URL|off, or the own calendar's part of --sync, on the
// board's own calendar or the command line's. `done` is called once, from
// the event loop.
void runOwnCalendarCommand(const Command& command, OwnCalendar& own,
                           std::function<void(const CommandOutput&)> done);

// The own calendar's line of --subscriptions; empty when none is set.
QString ownCalendarLine(const OwnCalendar& own);

// Two answers as one: both outputs, the worse status.
CommandOutput joinedOutputs(const CommandOutput& first, const CommandOutput& second);

} // namespace tanzo
