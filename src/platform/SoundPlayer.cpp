#include "SoundPlayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace tanzo {
namespace {

using CreatePlayer = SoundPlayer* (*)();

// Beside the executable in the build tree, in the private library folder
// after an install.
QStringList moduleCandidates() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString name = QStringLiteral(TANZO_SOUND_MODULE_FILE);
    return {exeDir + QLatin1Char('/') + name, exeDir + QStringLiteral("/../") +
                                                  QStringLiteral(TANZO_SOUND_MODULE_SUBDIR) +
                                                  QLatin1Char('/') + name};
}

SoundPlayer* loadPlayer() {
    for (const QString& path : moduleCandidates()) {
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: the player's objects live until the application ends.
        QLibrary module(path);
        if (const auto create =
                reinterpret_cast<CreatePlayer>(module.resolve("tanzo_create_sound_player")))
            return create();
        qWarning("tanzo: cannot load the sound module %s: %s", qPrintable(path),
                 qPrintable(module.errorString()));
    }
    return nullptr;
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
