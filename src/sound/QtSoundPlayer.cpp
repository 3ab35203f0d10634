// The audio side of the sound player, built as a module of its own (see
// platform/SoundPlayer.h).
#include "platform/SoundPlayer.h"
#include "sound/WavFile.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPointer>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QUrl>

#include <optional>
#include <utility>

namespace tanzo {
namespace {

class QtSoundPlayer : public SoundPlayer {
public:
    // Asked every second while a notice is near: a file is read once per
    // notice, also when it turns out to need converting at play time.
    void prepare(const QString& path) override {
        if (!QCoreApplication::instance() || path == m_preparedPath)
            return;
        m_preparedPath = path;
        if (m_prepared)
            m_prepared->deleteLater();
        m_prepared = nullptr;
        if (!canPlay())
            return;
        // Opens the connection to the sound server.
        QMediaDevices::defaultAudioOutput();
        const std::optional<wav::Sound> sound = wav::readFormat(path);
        if (sound && wav::effectDecodes(*sound))
            m_prepared = newEffect(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    }

    // Without an output device every sound would fail with the toolkit's
    // complaints on standard error, once per notice; the log says it once.
    bool canPlay() override {
        if (!QCoreApplication::instance())
            return false;
        const bool devices = !QMediaDevices::audioOutputs().isEmpty();
        if (!devices && !m_saidNoDevice) {
            m_saidNoDevice = true;
            qWarning("tanzo: no audio output device; sounds are not played");
        }
        return devices;
    }

    void play(const QString& path) override {
        stop();
        if (!canPlay())
            return;
        // What was prepared serves this play only; the next notice
        // prepares afresh.
        const bool preparedForThis = std::exchange(m_preparedPath, QString()) == path;
        const std::optional<wav::Sound> format = wav::readFormat(path);
        if (format && wav::effectDecodes(*format)) {
            // The prepared sound is already decoded; it serves once, as the
            // file may change before the next notice.
            if (m_prepared && preparedForThis) {
                m_effect = m_prepared;
                m_prepared = nullptr;
                m_effect->play();
                return;
            }
            playEffect(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()), nullptr);
            return;
        }
        if (!format)
            return; // not a WAV file: nothing is played, as with the system's player
        // Only an encoding the effect cannot decode is read whole.
        const std::optional<wav::Sound> sound = wav::read(path);
        const QByteArray converted = sound ? wav::toPcm16(*sound) : QByteArray();
        if (!converted.isEmpty()) {
            playConverted(converted);
            return;
        }
        // A compressed encoding this reader does not convert: the media
        // framework may still decode it.
        playThroughMediaPlayer(path);
    }

private:
    // A new sound replaces the one still playing.
    void stop() {
        if (m_effect) {
            m_effect->stop();
            m_effect->deleteLater();
        }
        if (m_player) {
            m_player->stop();
            m_player->deleteLater();
        }
    }

    // The objects hang on the application so that they go with it at exit,
    // before this process-wide player is destroyed.
    static QSoundEffect* newEffect(const QUrl& url) {
        auto* effect = new QSoundEffect(QCoreApplication::instance());
        effect->setSource(url);
        effect->setVolume(1.0);
        return effect;
    }

    void playEffect(const QUrl& url, QTemporaryFile* keepAlive) {
        QSoundEffect* effect = newEffect(url);
        if (keepAlive)
            keepAlive->setParent(effect);
        effect->play(); // starts once loaded
        m_effect = effect;
    }

    void playConverted(const QByteArray& wavBytes) {
        auto* temp =
            new QTemporaryFile(QDir::tempPath() + QStringLiteral("/tanzo-sound-XXXXXX.wav"));
        if (!temp->open() || temp->write(wavBytes) != wavBytes.size() || !temp->flush()) {
            delete temp;
            return;
        }
        const QUrl url = QUrl::fromLocalFile(temp->fileName());
        temp->close();
        playEffect(url, temp);
    }

    void playThroughMediaPlayer(const QString& path) {
        auto* player = new QMediaPlayer(QCoreApplication::instance());
        auto* output = new QAudioOutput(player);
        player->setAudioOutput(output);
        QObject::connect(player, &QMediaPlayer::errorOccurred, player, &QObject::deleteLater);
        player->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        player->play();
        m_player = player;
    }

    QPointer<QSoundEffect> m_effect;
    QPointer<QMediaPlayer> m_player;
    QPointer<QSoundEffect> m_prepared;
    QString m_preparedPath;
    bool m_saidNoDevice = false;
};

} // namespace

// The one entry point the program looks up. The player lives as long as the
// process; its objects hang on the application and go with it.
extern "C" Q_DECL_EXPORT SoundPlayer* tanzo_create_sound_player() {
    static QtSoundPlayer player;
    return &player;
}

} // namespace tanzo
