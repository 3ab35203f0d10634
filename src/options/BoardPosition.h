#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace tanzo::options {

// The explicit-position boxes hold the board's left (or top) edge in pixels,
// limited so that the board stays wholly in the area of the primary screen
// that panels leave free (it starts at `start` along the axis): a window
// manager would move a board placed under a panel, and the stored value
// would no longer be where the board is.

// The largest edge value that keeps the board in the area along one axis.
inline int positionMaximum(int screenPixels, int boardPixels, int start = 0) {
    return start + screenPixels - boardPixels;
}

// The value a typed edge settles on: above the maximum it becomes the
// maximum, below the minimum it becomes the minimum. A board larger than the
// area therefore settles on the minimum instead of bouncing between the two
// corrections.
int clampPosition(int value, int maximum, int minimum = 0);

// The text the box must show instead of `text`, or nothing when it stays.
// Empty and non-numeric text is left alone (the board does not move).
std::optional<QString> correctPositionText(const QString& text, int maximum, int minimum = 0);

// The edge the options 左端 (0), 中央 (1) and 右端 (2) put the board at.
int edgeForPositionOption(int option, int screenPixels, int boardPixels, int start = 0);

} // namespace tanzo::options
