#pragma once

#include <QFunctionPointer>

namespace tanzo {

// Looks up `symbol` in one of the program's own modules (`fileName`, such as
// "libtanzo_sound.so"): beside the executable in the build tree, in the
// program's private library folder after an install. The module stays
// loaded for the rest of the process. Null, with a warning, when neither
// place has a module that provides it.
QFunctionPointer resolveModuleSymbol(const char* fileName, const char* symbol);

} // namespace tanzo
