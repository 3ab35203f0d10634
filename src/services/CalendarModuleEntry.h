#pragma once

#include "CalendarServices.h"

// The calendar module's entry points, looked up by name when it is loaded.
extern "C" {
using TanzoMakeCalendarServices =
    tanzo::CalendarServices* (*)(const tanzo::CalendarServices::Board*);
using TanzoRunCommandLine = int (*)(int argc, char** argv);
using TanzoRaiseRunningBoard = bool (*)();
}

namespace tanzo::calendarmodule {
inline constexpr char kMakeServices[] = "tanzo_make_calendar_services";
inline constexpr char kRunCommandLine[] = "tanzo_run_command_line";
inline constexpr char kRaiseRunningBoard[] = "tanzo_raise_running_board";
} // namespace tanzo::calendarmodule
