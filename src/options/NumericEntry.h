#pragma once

#include <QString>

#include <optional>

namespace tanzo::options {

// Windows virtual-key codes, which the numeric boxes' filter is written in.
namespace vk {
constexpr int Back = 8;
constexpr int Shift = 16;
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Right = 39;
constexpr int Delete = 46;
constexpr int Digit0 = 48;
constexpr int Digit9 = 57;
constexpr int Numpad0 = 96;
constexpr int Numpad9 = 105;
} // namespace vk

// Key-down filter of the numeric boxes: returns the key code to pass on
// (a keypad digit becomes its main-row code), or 0 when the key is refused
// (the caller beeps).
int filterNumericKeyDown(int keyCode, bool shift, bool ctrl, bool alt);

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
