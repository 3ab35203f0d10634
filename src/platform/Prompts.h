#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace tanzo {

namespace msgbox {
// Icons of the program's message boxes: a failure, a warning about the
// user's input, and plain information.
enum class Icon { None, Critical, Exclamation, Information };
} // namespace msgbox

// How the program answers the user outside its own windows: message boxes
// with one OK button, and the beep for refused commands and keys. Windows
// are given one by whoever builds them, so that a test can record what
// would have been shown or heard.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal box with the given icon, caption and text; returns when it
    // is closed.
    virtual void show(QWidget* parent, msgbox::Icon icon, const QString& caption,
                      const QString& text) = 0;
    // The same box, not waited for: for messages raised by the clock's
    // work, which must keep running while the box is open. The box deletes
    // itself when closed; null when no box was shown.
    virtual QMessageBox* open(QWidget* parent, msgbox::Icon icon, const QString& caption,
                              const QString& text) = 0;
    virtual void beep() = 0;
};

// The desktop's boxes and beep.
Prompts& desktopPrompts();

} // namespace tanzo
