#pragma once

#include <functional>

namespace tanzo {

// The system beep for refused commands and keys. Tests count beeps through
// the hook instead of hearing them.
void systemBeep();
void setBeepHook(std::function<void()> hook);

} // namespace tanzo
