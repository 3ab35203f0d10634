#include "NumericBoxFilter.h"

#include "NumericEntry.h"
#include "platform/Prompts.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tanzo::options {

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
    if (!acceptNumericKey(key->key(), key->modifiers())) {
        m_prompts.beep();
        return true;
    }
    const QString text = key->text();
    if (!text.isEmpty()) {
        const char16_t ch = text.at(0).unicode();
        const bool printable = ch >= 0x20 && ch != 0x7F;
        if ((printable || ch == u'\b') && !acceptNumericChar(ch))
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
