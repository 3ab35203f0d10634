#include "TimeKeyFilter.h"

namespace tanzo {

TimeKeyVerdict classifyTimeKey(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return TimeKeyVerdict::PassToWindow;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Shift:
        return TimeKeyVerdict::Accept;
    default:
        break;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (modifiers & Qt::KeypadModifier)
            return TimeKeyVerdict::Accept;
        const Qt::KeyboardModifiers held =
            Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
        return (modifiers & held) ? TimeKeyVerdict::Refuse : TimeKeyVerdict::Accept;
    }
    return TimeKeyVerdict::Refuse;
}

bool acceptTimeText(const QString& text) {
    for (QChar c : text) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7f;
        if (!digit && !control)
            return false;
    }
    return true;
}

} // namespace tanzo
