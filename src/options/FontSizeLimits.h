#pragma once

#include "core/Settings.h"

namespace tanzo::options {

// The board font sizes a board size can show. The font chooser offers only
// these, and choosing a smaller board size lowers a larger preview font to
// its cap.
struct FontSizeRange {
    int smallest;
    int largest;
};

inline FontSizeRange fontSizeRange(int boardSize) {
    const BoardSizeFacts facts = boardSizeFacts(boardSize);
    return {facts.smallestFont, facts.largestFont};
}

// Selecting 中 or 小 lowers a larger font to that size's cap; 大 leaves it.
inline double cappedFontSize(double points, int boardSize) {
    if (boardSize == Big)
        return points;
    const int cap = fontSizeRange(boardSize).largest;
    return points > cap ? cap : points;
}

} // namespace tanzo::options
