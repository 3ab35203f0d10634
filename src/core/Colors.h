#pragma once

#include "Settings.h"

#include <QColor>

namespace tanzo {

// Colours are stored as 0x00BBGGRR.
inline QColor toQColor(BgrColor bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

inline BgrColor fromQColor(const QColor& c) {
    return static_cast<BgrColor>(c.red()) | (static_cast<BgrColor>(c.green()) << 8) |
           (static_cast<BgrColor>(c.blue()) << 16);
}

} // namespace tanzo
