#include "UserSettings.h"

namespace tanzo {

void UserSettings::replace(const Settings& values) {
    if (values == m_values)
        return;
    const Settings previous = m_values;
    m_values = values;
    emit changed(previous);
}

} // namespace tanzo
