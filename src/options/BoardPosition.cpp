#include "BoardPosition.h"

#include "NumericEntry.h"
#include "platform/Twips.h"

#include <algorithm>

namespace tanzo::options {

int clampPosition(int value, int maximum) {
    if (value > maximum)
        value = maximum;
    return std::max(value, 0);
}

std::optional<QString> correctPositionText(const QString& text, int maximum) {
    const std::optional<int> value = parseInt16(text);
    if (!value)
        return std::nullopt;
    const int settled = clampPosition(*value, maximum);
    if (settled == *value)
        return std::nullopt;
    return QString::number(settled);
}

int edgeForPositionOption(int option, int screenPixels, int boardPixels) {
    switch (option) {
    case 0:
        return 0;
    case 1:
        return roundHalfEven((screenPixels - boardPixels) / 2.0);
    default:
        return screenPixels - boardPixels;
    }
}

} // namespace tanzo::options
