#include "BoardPosition.h"

#include "NumericEntry.h"
#include "platform/Twips.h"

#include <algorithm>

namespace tanzo::options {

int clampPosition(int value, int maximum, int minimum) {
    if (value > maximum)
        value = maximum;
    return std::max(value, minimum);
}

std::optional<QString> correctPositionText(const QString& text, int maximum, int minimum) {
    const std::optional<int> value = parseInt16(text);
    if (!value)
        return std::nullopt;
    const int settled = clampPosition(*value, maximum, minimum);
    if (settled == *value)
        return std::nullopt;
    return QString::number(settled);
}

int edgeForPositionOption(int option, int screenPixels, int boardPixels, int start) {
    switch (option) {
    case 0:
        return start;
    case 1:
        return start + roundHalfEven((screenPixels - boardPixels) / 2.0);
    default:
        return start + screenPixels - boardPixels;
    }
}

} // namespace tanzo::options
