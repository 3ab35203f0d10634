#pragma once

#include <QString>

namespace tanzo {

// The per-user socket through which a command line hands its command to the
// running board, so that the data file keeps one writer. Empty, with the
// reason in *error, when there is no private directory for it.
QString commandSocketPath(QString* error = nullptr);

} // namespace tanzo
