#pragma once

#include <QString>

namespace tanzo {

// Why the board has no screen to open on, in a sentence for standard error,
// or empty when one is named. Asked before the toolkit starts, which would
// abort the process instead; a platform chosen through QT_QPA_PLATFORM other
// than X11 is left for the toolkit to judge. Costs nothing: a display that is
// named but cannot be reached is told by DisplayFailureExplanation.
QString missingDisplayReason();

// While it lives, a toolkit start that fails because the X display cannot be
// reached ends the process with status 1 and one sentence saying so, instead
// of the toolkit's abort with its hint about reinstalling. The display is
// tried only when the start has already failed, so a start that succeeds
// makes no connection of its own. What the toolkit says meanwhile is passed
// on when it ends (or at any other failure, which is the toolkit's to
// report).
class DisplayFailureExplanation {
public:
    DisplayFailureExplanation();
    ~DisplayFailureExplanation();
    DisplayFailureExplanation(const DisplayFailureExplanation&) = delete;
    DisplayFailureExplanation& operator=(const DisplayFailureExplanation&) = delete;
};

} // namespace tanzo
