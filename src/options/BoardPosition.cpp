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

QPoint reachableBoardPosition(const QRect& board, const QList<QRect>& screens,
                              const QRect& primaryArea) {
    // Enough of the title strip to take hold of and drag.
    constexpr int kGripWidth = 48;
    constexpr int kGripHeight = 8;
    const QRect strip(board.topLeft(), QSize(board.width(), kGripHeight));
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(strip);
        if (seen.width() >= std::min(kGripWidth, board.width()) && seen.height() >= kGripHeight)
            return board.topLeft();
    }
    if (primaryArea.isEmpty())
        return board.topLeft();
    return {
        clampPosition(board.left(), primaryArea.right() + 1 - board.width(), primaryArea.left()),
        clampPosition(board.top(), primaryArea.bottom() + 1 - board.height(), primaryArea.top())};
}

} // namespace tanzo::options
