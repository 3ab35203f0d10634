#pragma once

#include <QString>
#include <Qt>

namespace tanzo {

// What becomes of a key pressed in the hour or minute box.
enum class TimeKeyVerdict {
    Accept,       // reaches the box (keypad digits count as digits)
    PassToWindow, // Tab, Enter, Escape: keep their meaning for the window
    Refuse,       // a beep sounds and the key is discarded
};

// The key filter: digits without Shift, Ctrl or Alt, keypad digits, and the
// editing and moving keys are accepted; everything else is refused.
TimeKeyVerdict classifyTimeKey(int key, Qt::KeyboardModifiers modifiers);

// The character filter: text that a key or an input method would insert is
// kept only when it is made of digits (control characters such as
// Backspace pass); anything else is dropped without a sound.
bool acceptTimeText(const QString& text);

} // namespace tanzo
