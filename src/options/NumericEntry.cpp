#include "NumericEntry.h"

#include "core/Settings.h"

#include <limits>

namespace tanzo::options {

bool acceptNumericKey(int key, Qt::KeyboardModifiers modifiers) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (modifiers & Qt::KeypadModifier)
            return true;
        return !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    }
    switch (key) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Shift:
        return true;
    default:
        return false;
    }
}

bool acceptNumericChar(char16_t ch) {
    return (ch >= u'0' && ch <= u'9') || ch == u'\b';
}

std::optional<int> parseInt16(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < std::numeric_limits<int16_t>::min() ||
        value > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return value;
}

namespace {
std::optional<QString> clampText(const QString& text, Bounds bounds) {
    const std::optional<int> value = parseInt16(text);
    if (!value || bounds.contains(*value))
        return std::nullopt;
    return QString::number(*value < bounds.min ? bounds.min : bounds.max);
}
} // namespace

std::optional<QString> correctMinutesText(const QString& text) {
    if (text.trimmed().isEmpty())
        return QString::number(kNoticeMinutesBounds.min);
    return clampText(text, kNoticeMinutesBounds);
}

std::optional<QString> correctIntervalText(const QString& text) {
    if (text.trimmed().isEmpty())
        return std::nullopt;
    return clampText(text, kIntervalBounds);
}

} // namespace tanzo::options
