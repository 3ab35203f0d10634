#pragma once

#include "Settings.h"

#include <QSizeF>
#include <QString>

namespace tanzo {

class RegistryStore;

// The settings in the registry stand-in, under
// "Software\Merovane\Tanzo" + "\Settings".
class SettingsRepository {
public:
    static QString defaultKeyPath();

    SettingsRepository(RegistryStore& store, QString keyPath = defaultKeyPath());

    // Loads the store file and creates the key.
    bool openKey();
    // The older layout: FontName and SoundFile as default values of
    // subkeys of the same names become string values of the key.
    bool migrateLegacy();
    // Every value that cannot be read takes its default, every number is
    // brought into its bounds, and the board size is fitted to the screen.
    Settings read(const QSizeF& screenTwips) const;
    // The window group, written at exit; stops at the first failure.
    // LastPositionX/Y only when SaveLastPosition is true and the board is
    // not in the tray.
    bool writeWindowSettings(const Settings& settings, bool trayMode);
    // The window group, then the option group.
    bool writeAllSettings(const Settings& settings, bool trayMode);

private:
    bool writeGroup(const Settings& settings, bool trayMode, bool withOptions);

    RegistryStore& m_store;
    QString m_keyPath;
};

} // namespace tanzo
