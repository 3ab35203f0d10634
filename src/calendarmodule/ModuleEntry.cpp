#include "ModuleServices.h"
#include "app/CommandLine.h"
#include "services/CalendarModuleEntry.h"

// The module's only visible symbols (it builds with hidden visibility).

extern "C" Q_DECL_EXPORT tanzo::CalendarServices*
tanzo_make_calendar_services(const tanzo::CalendarServices::Board* board) {
    return new tanzo::ModuleServices(*board);
}

extern "C" Q_DECL_EXPORT int tanzo_run_command_line(int argc, char** argv) {
    return tanzo::runCommandLine(argc, argv);
}

extern "C" Q_DECL_EXPORT bool tanzo_raise_running_board() {
    return tanzo::raiseRunningBoard();
}
