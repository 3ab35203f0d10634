#pragma once

#include <QString>

namespace tanzo {

// Why the board has no screen to open on, in a sentence for standard error,
// or empty when it has one. Asked before the toolkit starts, which would
// abort the process instead; a platform chosen through QT_QPA_PLATFORM other
// than X11 is left for the toolkit to judge.
QString missingDisplayReason();

} // namespace tanzo
