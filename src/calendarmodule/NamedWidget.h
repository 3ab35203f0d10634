#pragma once

#include <QLatin1String>

namespace tanzo {

// Gives a control the name by which tests and the accessibility tree find it.
template <typename T> T* named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace tanzo
