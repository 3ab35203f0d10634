#pragma once

#include "ScheduleCommands.h"
#include "services/LaunchMode.h"

#include <QStringList>

#include <optional>

namespace tanzo {

struct ParsedCommandLine {
    std::optional<Command> command; // empty: nothing to run, see status
    int status = 0;
    QString out; // --help, --version
    QString err;
};

// Parses and checks the form of the arguments (argv[0] first). Reads the
// file of --import; relative paths are taken from the working directory.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// Runs a command line: hands the command to a running board, or works on
// the data file itself when none runs. Returns the exit status.
int runCommandLine(int argc, char** argv);

// A second start of the program: asks the running board to come to the
// front (out of the tray or minimised). False, with a message, when it
// cannot be reached (another runtime directory, or still starting).
bool raiseRunningBoard();

} // namespace tanzo
