#include "CopyName.h"

#include <QFileInfo>

namespace tanzo {

QString freeCopyName(const QString& base) {
    if (!QFileInfo::exists(base))
        return base;
    for (int n = 1;; ++n) {
        const QString candidate = base + QLatin1Char('.') + QString::number(n);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

} // namespace tanzo
