#include "SettingsRepository.h"

#include "StoredSettings.h"
#include "platform/Cp932.h"
#include "platform/RegistryStore.h"

namespace tanzo {

QString SettingsRepository::defaultKeyPath() {
    return QStringLiteral("Software\\Merovane\\Tanzo") + QStringLiteral("\\Settings");
}

SettingsRepository::SettingsRepository(RegistryStore& store, QString keyPath)
    : m_store(store), m_keyPath(std::move(keyPath)) {}

bool SettingsRepository::openKey() {
    return m_store.load() && m_store.createKey(m_keyPath);
}

bool SettingsRepository::migrateLegacy() {
    const QString fontKey = m_keyPath + QStringLiteral("\\FontName");
    if (!m_store.defaultValue(fontKey))
        return true;
    for (const QString& name : {QStringLiteral("FontName"), QStringLiteral("SoundFile")}) {
        const QString subkey = m_keyPath + QLatin1Char('\\') + name;
        const auto text = m_store.defaultValue(subkey);
        if (!text)
            continue;
        const RegistryStore::Value value{RegistryStore::Type::String, cp932::encode(*text)};
        if (!m_store.setValue(m_keyPath, name, value) || !m_store.deleteKey(subkey))
            return false;
    }
    // The converted layout must outlive this run even if the program never
    // writes its settings again.
    return m_store.save();
}

Settings SettingsRepository::read(const QSizeF& screenTwips) const {
    Settings s = readStoredSettings(m_store, m_keyPath);
    s.windowSize = fitWindowSizeToScreen(s.windowSize, screenTwips);
    return s;
}

bool SettingsRepository::writeGroup(const Settings& s, bool trayMode, bool withOptions) {
    const bool withPosition = s.saveLastPosition && !trayMode;
    return writeStoredSettings(m_store, m_keyPath, SettingsGroup::Window, s, withPosition) &&
           (!withOptions ||
            writeStoredSettings(m_store, m_keyPath, SettingsGroup::Option, s, withPosition));
}

bool SettingsRepository::writeWindowSettings(const Settings& settings, bool trayMode) {
    return writeGroup(settings, trayMode, false) && m_store.save();
}

bool SettingsRepository::writeAllSettings(const Settings& settings, bool trayMode) {
    return openKey() && writeGroup(settings, trayMode, true) && m_store.save();
}

} // namespace tanzo
