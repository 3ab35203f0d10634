// Bytes of a settings file through the store's reader and the settings read,
// then through the writer and the reader again: whatever a damaged file
// holds, the program must get usable settings from it, and the file it
// writes back must read cleanly and give the same settings.
#include "core/SettingsRepository.h"
#include "platform/RegistryStore.h"

#include <QByteArray>
#include <QSizeF>

#include <cstdint>
#include <cstdlib>

using namespace tanzo;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

// Values the rest of the program relies on after a read.
void requireUsable(const Settings& s) {
    require(s.windowSize >= Big && s.windowSize <= Small);
    require(s.interval >= 1 && s.interval <= 100);
    require(s.preAlarmMinute >= 1 && s.preAlarmMinute <= 60);
    require(s.alarmSkipMinute >= 1 && s.alarmSkipMinute <= 60);
    require(s.fontSize >= 1 && s.fontSize <= 72);
    require(!s.fontName.isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QSizeF screen(1920 * 15, 1080 * 15);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    RegistryStore store(QStringLiteral("/nonexistent/settings.reg"));
    store.parse(bytes);
    SettingsRepository repository(store);
    Settings settings;
    settings = repository.read(screen);
    requireUsable(settings);
    (void)store.defaultValue(SettingsRepository::defaultKeyPath() + QStringLiteral("\\FontName"));

    const QByteArray written = store.serialise();
    RegistryStore reread(QStringLiteral("/nonexistent/settings.reg"));
    require(reread.parse(written));
    require(reread.serialise() == written);
    SettingsRepository again(reread);
    Settings settingsAgain;
    settingsAgain = again.read(screen);
    require(settingsAgain == settings);
    return 0;
}
