#pragma once

namespace tanzo::options {

// The board font sizes each board size can show: 大 8-14, 中 8-11, 小 8-9
// points. The font chooser offers only these, and choosing a smaller board
// size lowers a larger preview font to its cap.
struct FontSizeRange {
    int smallest;
    int largest;
};

inline FontSizeRange fontSizeRange(int boardSize) {
    switch (boardSize) {
    case 0:
        return {8, 14};
    case 1:
        return {8, 11};
    default:
        return {8, 9};
    }
}

// Selecting 中 or 小 lowers a larger font to that size's cap; 大 leaves it.
inline double cappedFontSize(double points, int boardSize) {
    if (boardSize == 0)
        return points;
    const int cap = fontSizeRange(boardSize).largest;
    return points > cap ? cap : points;
}

} // namespace tanzo::options
