#pragma once

#include <QString>
#include <Qt>

#include <optional>

namespace tanzo::options {

// Key filter of the numeric boxes: digits without Shift, Ctrl or Alt,
// keypad digits whatever is held, and the editing keys (Delete, Backspace,
// Left, Right, Home, End, Shift itself) are accepted; any other key is
// refused (the caller beeps). Ctrl itself is refused, so nothing is pasted.
bool acceptNumericKey(int key, Qt::KeyboardModifiers modifiers);

// Key-press filter: only "0"-"9" and Backspace reach the box.
bool acceptNumericChar(char16_t ch);

// Reads a box's text as a 16-bit integer; surrounding spaces are allowed,
// anything else that is not a number gives nothing.
std::optional<int> parseInt16(const QString& text);

// The corrections the change handlers make. Each returns the text the box
// must show instead, or nothing when the text stays as it is. Text that is
// not a number is left alone here and refused when the options are applied.

// Minutes: an empty box shows the lowest; the range is kNoticeMinutesBounds.
std::optional<QString> correctMinutesText(const QString& text);
// Display speed: an empty box stays empty; the range is kIntervalBounds.
std::optional<QString> correctIntervalText(const QString& text);

} // namespace tanzo::options
