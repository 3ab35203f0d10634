#include "NumericEntry.h"

#include "core/Settings.h"

#include <limits>

namespace tanzo::options {

int filterNumericKeyDown(int keyCode, bool shift, bool ctrl, bool alt) {
    if (keyCode >= vk::Digit0 && keyCode <= vk::Digit9)
        return (shift || ctrl || alt) ? 0 : keyCode;
    if (keyCode >= vk::Numpad0 && keyCode <= vk::Numpad9)
        return keyCode - (vk::Numpad0 - vk::Digit0);
    switch (keyCode) {
    case vk::Delete:
    case vk::Back:
    case vk::Left:
    case vk::Right:
    case vk::Home:
    case vk::End:
    case vk::Shift:
        return keyCode;
    default:
        return 0;
    }
}

bool acceptNumericChar(char16_t ch) {
    return (ch >= u'0' && ch <= u'9') || ch == vk::Back;
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
