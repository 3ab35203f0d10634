#pragma once

#include <QString>

#include <array>

namespace tanzo {

// A comment wrapped for display: four lines of at most 24 bytes each in code
// page 932 (full-width characters count 2, half-width ones 1).
using CommentLines = std::array<QString, 4>;

constexpr int CommentLineBytes = 24;

// Wraps a comment for the board: fills each line while the next character still fits; a
// full-width character that would pass 24 bytes starts the next line.
// Whatever does not fit into four lines is dropped.
CommentLines splitComment(const QString& text);

} // namespace tanzo
