#pragma once

#include <QString>

#include <optional>

namespace tanzo::options {

// The explicit-position boxes hold the board's left (or top) edge in pixels,
// limited so that the board stays wholly on the primary screen.

// The largest edge value that keeps the board on the screen along one axis.
inline int positionMaximum(int screenPixels, int boardPixels) {
    return screenPixels - boardPixels;
}

// The value a typed edge settles on: above the maximum it becomes the
// maximum, below 0 it becomes 0. A board larger than the screen (a negative
// maximum) therefore settles on 0 instead of bouncing between the two
// corrections.
int clampPosition(int value, int maximum);

// The text the box must show instead of `text`, or nothing when it stays.
// Empty and non-numeric text is left alone (the board does not move).
std::optional<QString> correctPositionText(const QString& text, int maximum);

// The edge the options 左端 (0), 中央 (1) and 右端 (2) put the board at.
int edgeForPositionOption(int option, int screenPixels, int boardPixels);

} // namespace tanzo::options
