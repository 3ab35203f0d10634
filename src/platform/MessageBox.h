#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

namespace tanzo::msgbox {

// Icons of the program's message boxes: a failure, a warning about the
// user's input, and plain information.
enum class Icon { None, Critical, Exclamation, Information };

// A modal box with one OK button, the given icon, caption and text.
void show(QWidget* parent, Icon icon, const QString& caption, const QString& text);

// The same box, shown without waiting for it to be closed: for messages
// raised by the clock's work, which must keep running while the box is
// open. The box deletes itself when closed; null while a hook is set.
QMessageBox* open(QWidget* parent, Icon icon, const QString& caption, const QString& text);

// Tests install a hook: while one is set, no box is shown and the hook is
// told what would have been shown.
using Hook = std::function<void(Icon icon, const QString& caption, const QString& text)>;
void setHook(Hook hook);

} // namespace tanzo::msgbox
