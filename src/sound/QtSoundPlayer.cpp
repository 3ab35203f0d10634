// The audio side of the sound player, built as a module of its own (see
// platform/SoundPlayer.h).
#include "platform/SoundPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPointer>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

namespace tanzo {
namespace {

// Notification sounds are short; a larger file is not read into memory.
constexpr qint64 kMaxWavBytes = 64LL * 1024 * 1024;

enum WavFormat : quint16 {
    WavPcm = 1,
    WavFloat = 3,
    WavALaw = 6,
    WavMuLaw = 7,
    WavExtensible = 0xFFFE,
};

struct WavData {
    quint16 format = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint16 bitsPerSample = 0;
    QByteArray samples;
};

quint16 u16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}

// Reads the fmt and data chunks of a RIFF WAVE file. Damaged or truncated
// files give nothing, or as many whole samples as are present.
std::optional<WavData> parseWav(const QByteArray& bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.constData(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.constData() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    WavData wav;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype pos = 12;
    while (pos + 8 <= bytes.size() && !(haveFormat && haveData)) {
        const char* chunk = bytes.constData() + pos;
        const quint32 size = u32(chunk + 4);
        const qsizetype bodyStart = pos + 8;
        const qsizetype available = std::min<qsizetype>(size, bytes.size() - bodyStart);
        const char* body = chunk + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (available < 16)
                return std::nullopt;
            wav.format = u16(body);
            wav.channels = u16(body + 2);
            wav.sampleRate = u32(body + 4);
            wav.bitsPerSample = u16(body + 14);
            // The extensible form names the real encoding in its sub-format.
            if (wav.format == WavExtensible && available >= 26)
                wav.format = u16(body + 24);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            wav.samples = bytes.mid(bodyStart, available);
            haveData = true;
        }
        pos = bodyStart + static_cast<qsizetype>(size) + (size & 1);
    }
    if (!haveFormat || !haveData || wav.channels == 0 || wav.sampleRate == 0)
        return std::nullopt;
    return wav;
}

// The encodings QSoundEffect decodes itself.
bool effectDecodes(const WavData& wav) {
    return wav.format == WavPcm && (wav.bitsPerSample == 8 || wav.bitsPerSample == 16) &&
           wav.channels <= 2;
}

qint16 fromMuLaw(quint8 v) {
    v = static_cast<quint8>(~v);
    const int sign = v & 0x80;
    const int exponent = (v >> 4) & 0x07;
    const int mantissa = v & 0x0F;
    int sample = ((mantissa << 3) + 0x84) << exponent;
    sample -= 0x84;
    return static_cast<qint16>(sign ? -sample : sample);
}

qint16 fromALaw(quint8 v) {
    v ^= 0x55;
    const int sign = v & 0x80;
    const int exponent = (v >> 4) & 0x07;
    const int mantissa = v & 0x0F;
    int sample = exponent == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (exponent - 1);
    return static_cast<qint16>(sign ? sample : -sample);
}

qint16 clampToInt16(double value) {
    return static_cast<qint16>(std::clamp(std::lround(value * 32767.0), -32768L, 32767L));
}

// One sample of the given encoding as 16-bit, or nothing for an encoding
// this reader does not know.
std::optional<qint16> sample16(const WavData& wav, const char* p) {
    switch (wav.format) {
    case WavPcm:
        switch (wav.bitsPerSample) {
        case 8:
            return static_cast<qint16>((static_cast<quint8>(*p) - 128) << 8);
        case 16:
            return qFromLittleEndian<qint16>(p);
        case 24: {
            const qint32 v =
                static_cast<qint32>(static_cast<quint32>(static_cast<quint8>(p[0])) |
                                    static_cast<quint32>(static_cast<quint8>(p[1])) << 8 |
                                    static_cast<quint32>(static_cast<quint8>(p[2])) << 16)
                << 8;
            return static_cast<qint16>(v >> 16);
        }
        case 32:
            return static_cast<qint16>(qFromLittleEndian<qint32>(p) >> 16);
        default:
            return std::nullopt;
        }
    case WavFloat:
        if (wav.bitsPerSample == 32) {
            const float f = qFromLittleEndian<float>(p);
            return clampToInt16(std::isfinite(f) ? f : 0.0);
        }
        if (wav.bitsPerSample == 64) {
            const double d = qFromLittleEndian<double>(p);
            return clampToInt16(std::isfinite(d) ? d : 0.0);
        }
        return std::nullopt;
    case WavMuLaw:
        return wav.bitsPerSample == 8 ? std::optional(fromMuLaw(static_cast<quint8>(*p)))
                                      : std::nullopt;
    case WavALaw:
        return wav.bitsPerSample == 8 ? std::optional(fromALaw(static_cast<quint8>(*p)))
                                      : std::nullopt;
    default:
        return std::nullopt;
    }
}

// Rewrites samples QSoundEffect cannot decode as 16-bit PCM (more than two
// channels mixed down to mono). Empty when the encoding is unknown.
QByteArray toPcm16Wav(const WavData& wav) {
    if (wav.bitsPerSample == 0 || wav.bitsPerSample % 8 != 0)
        return {};
    const int bytesPerSample = wav.bitsPerSample / 8;
    const int frameBytes = bytesPerSample * wav.channels;
    const qsizetype frames = wav.samples.size() / frameBytes;
    const int outChannels = wav.channels <= 2 ? wav.channels : 1;

    QByteArray pcm;
    pcm.resize(frames * outChannels * 2);
    char* out = pcm.data();
    for (qsizetype f = 0; f < frames; ++f) {
        const char* frame = wav.samples.constData() + f * frameBytes;
        if (outChannels == wav.channels) {
            for (int c = 0; c < wav.channels; ++c) {
                const std::optional<qint16> s = sample16(wav, frame + c * bytesPerSample);
                if (!s)
                    return {};
                qToLittleEndian<qint16>(*s, out);
                out += 2;
            }
        } else {
            long sum = 0;
            for (int c = 0; c < wav.channels; ++c) {
                const std::optional<qint16> s = sample16(wav, frame + c * bytesPerSample);
                if (!s)
                    return {};
                sum += *s;
            }
            qToLittleEndian<qint16>(static_cast<qint16>(sum / wav.channels), out);
            out += 2;
        }
    }

    QByteArray file;
    auto put16 = [&file](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        file.append(b, 2);
    };
    auto put32 = [&file](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        file.append(b, 4);
    };
    file.append("RIFF", 4);
    put32(static_cast<quint32>(36 + pcm.size()));
    file.append("WAVEfmt ", 8);
    put32(16);
    put16(WavPcm);
    put16(static_cast<quint16>(outChannels));
    put32(wav.sampleRate);
    put32(wav.sampleRate * outChannels * 2);
    put16(static_cast<quint16>(outChannels * 2));
    put16(16);
    file.append("data", 4);
    put32(static_cast<quint32>(pcm.size()));
    file.append(pcm);
    return file;
}

std::optional<WavData> readWav(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxWavBytes)
        return std::nullopt;
    return parseWav(file.readAll());
}

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
        // Opens the connection to the sound server.
        QMediaDevices::defaultAudioOutput();
        const std::optional<WavData> wav = readWav(path);
        if (wav && effectDecodes(*wav))
            m_prepared = newEffect(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    }

    void play(const QString& path) override {
        stop();
        if (!QCoreApplication::instance())
            return;
        // What was prepared serves this play only; the next notice
        // prepares afresh.
        const bool preparedForThis = std::exchange(m_preparedPath, QString()) == path;
        const std::optional<WavData> wav = readWav(path);
        if (wav && effectDecodes(*wav)) {
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
        if (!wav)
            return; // not a WAV file: nothing is played, as with the system's player
        const QByteArray converted = toPcm16Wav(*wav);
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
};

} // namespace

// The one entry point the program looks up. The player lives as long as the
// process; its objects hang on the application and go with it.
extern "C" Q_DECL_EXPORT SoundPlayer* tanzo_create_sound_player() {
    static QtSoundPlayer player;
    return &player;
}

} // namespace tanzo
