#pragma once

#include <QString>

namespace tanzo {

// The directory that holds the command socket and the instance lock: one
// that only this user can enter, so that no other local user can listen in
// our place or hold our lock. That is $XDG_RUNTIME_DIR when it is a real
// directory owned by the user with mode 0700; otherwise tanzo-<uid> in the
// temporary directory, made with mode 0700 and checked the same way (owner,
// mode, not a symbolic link). Empty, with the reason in *error, when
// neither can be had: then nothing is put anywhere shared.
QString privateRuntimeDirectory(QString* error = nullptr);

} // namespace tanzo
