#pragma once

#include "ScheduleCommands.h"

#include <functional>

namespace tanzo {

class CalendarSubscriptions;

// Runs --subscribe, --subscriptions, --unsubscribe or --sync on the
// subscriptions, in the running board or in the command line's own process.
// Network work answers later: `done` is called once, from the event loop.
void runSubscriptionCommand(const Command& command, CalendarSubscriptions& subscriptions,
                            std::function<void(const CommandOutput&)> done);

} // namespace tanzo
