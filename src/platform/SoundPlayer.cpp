#include "SoundPlayer.h"

#include "PluginModule.h"

#include <QCoreApplication>

namespace tanzo {
namespace {

using CreatePlayer = SoundPlayer* (*)();

SoundPlayer* loadPlayer() {
    const auto create = reinterpret_cast<CreatePlayer>(
        resolveModuleSymbol(TANZO_SOUND_MODULE_FILE, "tanzo_create_sound_player"));
    return create ? create() : nullptr;
}

class DeferredSoundPlayer : public SoundPlayer {
public:
    void play(const QString& path) override {
        if (SoundPlayer* player = real())
            player->play(path);
    }
    void prepare(const QString& path) override {
        if (SoundPlayer* player = real())
            player->prepare(path);
    }
    bool canPlay() override {
        SoundPlayer* player = real();
        return player && player->canPlay();
    }

private:
    SoundPlayer* real() {
        if (!m_loaded && QCoreApplication::instance()) {
            m_loaded = true;
            m_real = loadPlayer();
        }
        return m_real;
    }

    bool m_loaded = false;
    SoundPlayer* m_real = nullptr;
};

} // namespace

SoundPlayer& defaultSoundPlayer() {
    static DeferredSoundPlayer player;
    return player;
}

} // namespace tanzo
