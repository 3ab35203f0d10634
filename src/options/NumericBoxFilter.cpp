#include "NumericBoxFilter.h"

#include "NumericEntry.h"
#include "platform/Beep.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tanzo::options {

int virtualKeyCode(const QKeyEvent& event) {
    const int key = event.key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        const int digit = key - Qt::Key_0;
        return (event.modifiers() & Qt::KeypadModifier) ? vk::Numpad0 + digit : vk::Digit0 + digit;
    }
    switch (key) {
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Home:
        return vk::Home;
    case Qt::Key_End:
        return vk::End;
    case Qt::Key_Shift:
        return vk::Shift;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    default:
        return 0xFF; // any other key: not one the filter lets through
    }
}

void selectAllOnFocusIn(QLineEdit* box, const QFocusEvent* event) {
    // A click places the cursor after the focus has arrived, which would undo
    // the selection at once; select once the click is through.
    if (event->reason() == Qt::MouseFocusReason)
        QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
    else
        box->selectAll();
}

void NumericBoxFilter::attach(QLineEdit* box) {
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->installEventFilter(this);
}

bool NumericBoxFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            selectAllOnFocusIn(box, static_cast<QFocusEvent*>(event));
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    const Qt::KeyboardModifiers mods = key->modifiers();
    if (filterNumericKeyDown(virtualKeyCode(*key), mods & Qt::ShiftModifier,
                             mods & Qt::ControlModifier, mods & Qt::AltModifier) == 0) {
        systemBeep();
        return true;
    }
    const QString text = key->text();
    if (!text.isEmpty()) {
        const char16_t ch = text.at(0).unicode();
        const bool printable = ch >= 0x20 && ch != 0x7F;
        if ((printable || ch == vk::Back) && !acceptNumericChar(ch))
            return true;
    }
    return false;
}

bool SelectAllOnFocus::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            selectAllOnFocusIn(box, static_cast<QFocusEvent*>(event));
    return false;
}

} // namespace tanzo::options
