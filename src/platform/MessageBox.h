#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tanzo::msgbox {

// Icons of the program's message boxes, numbered as the Windows message-box
// flags they stand for.
enum class Icon { None = 0, Critical = 16, Exclamation = 48, Information = 64 };

// A modal box with one OK button, the given icon, caption and text.
void show(QWidget* parent, Icon icon, const QString& caption, const QString& text);

// Tests install a hook: while one is set, no box is shown and the hook is
// told what would have been shown.
using Hook = std::function<void(Icon icon, const QString& caption, const QString& text)>;
void setHook(Hook hook);

} // namespace tanzo::msgbox
