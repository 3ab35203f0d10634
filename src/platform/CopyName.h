#pragma once

#include <QString>

namespace tanzo {

// A name for a new copy beside a file that never replaces an older copy:
// `base` itself, then base.1, base.2, ...
QString freeCopyName(const QString& base);

} // namespace tanzo
