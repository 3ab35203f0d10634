#include "WavFile.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tanzo::wav {
namespace {

quint16 u16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char* p) {
    return qFromLittleEndian<quint32>(p);
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
std::optional<qint16> sample16(const Sound& sound, const char* p) {
    switch (sound.format) {
    case Pcm:
        switch (sound.bitsPerSample) {
        case 8:
            return static_cast<qint16>((static_cast<quint8>(*p) - 128) * 256);
        case 16:
            return qFromLittleEndian<qint16>(p);
        case 24:
            // The top two of the three bytes, the most significant signed.
            return static_cast<qint16>(static_cast<qint8>(p[2]) * 256 + static_cast<quint8>(p[1]));
        case 32:
            return static_cast<qint16>(qFromLittleEndian<qint32>(p) >> 16);
        default:
            return std::nullopt;
        }
    case Float:
        if (sound.bitsPerSample == 32) {
            const float f = qFromLittleEndian<float>(p);
            return clampToInt16(std::isfinite(f) ? f : 0.0);
        }
        if (sound.bitsPerSample == 64) {
            const double d = qFromLittleEndian<double>(p);
            return clampToInt16(std::isfinite(d) ? d : 0.0);
        }
        return std::nullopt;
    case MuLaw:
        return sound.bitsPerSample == 8 ? std::optional(fromMuLaw(static_cast<quint8>(*p)))
                                        : std::nullopt;
    case ALaw:
        return sound.bitsPerSample == 8 ? std::optional(fromALaw(static_cast<quint8>(*p)))
                                        : std::nullopt;
    default:
        return std::nullopt;
    }
}

QByteArray pcm16File(const QByteArray& pcm, int channels, quint32 sampleRate) {
    QByteArray file;
    file.reserve(44 + pcm.size());
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
    put16(Pcm);
    put16(static_cast<quint16>(channels));
    put32(sampleRate);
    put32(sampleRate * static_cast<quint32>(channels) * 2);
    put16(static_cast<quint16>(channels * 2));
    put16(16);
    file.append("data", 4);
    put32(static_cast<quint32>(pcm.size()));
    file.append(pcm);
    return file;
}

} // namespace

std::optional<Sound> parse(const QByteArray& bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.constData(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.constData() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    Sound sound;
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
            sound.format = u16(body);
            sound.channels = u16(body + 2);
            sound.sampleRate = u32(body + 4);
            sound.bitsPerSample = u16(body + 14);
            // The extensible form names the real encoding in its sub-format.
            if (sound.format == Extensible && available >= 26)
                sound.format = u16(body + 24);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            sound.samples = bytes.mid(bodyStart, available);
            haveData = true;
        }
        pos = bodyStart + static_cast<qsizetype>(size) + (size & 1);
    }
    if (!haveFormat || !haveData || sound.channels == 0 || sound.sampleRate == 0)
        return std::nullopt;
    return sound;
}

namespace {
std::optional<Sound> readStart(const QString& path, qint64 maxBytes) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return std::nullopt;
    return parse(file.read(maxBytes));
}
} // namespace

std::optional<Sound> read(const QString& path) {
    return readStart(path, kMaxFileBytes);
}

std::optional<Sound> readFormat(const QString& path) {
    // The format chunk comes first in the files sound editors write; a few
    // kilobytes of other chunks before it are still found.
    constexpr qint64 kHeadBytes = 64 * 1024;
    return readStart(path, kHeadBytes);
}

bool effectDecodes(const Sound& sound) {
    return sound.format == Pcm && (sound.bitsPerSample == 8 || sound.bitsPerSample == 16) &&
           sound.channels <= 2;
}

QByteArray toPcm16(const Sound& sound) {
    if (sound.bitsPerSample == 0 || sound.bitsPerSample % 8 != 0 || sound.channels == 0)
        return {};
    const qsizetype bytesPerSample = sound.bitsPerSample / 8;
    const qsizetype frameBytes = bytesPerSample * sound.channels;
    const qsizetype frames = sound.samples.size() / frameBytes;
    const int outChannels = sound.channels <= 2 ? sound.channels : 1;

    QByteArray pcm;
    pcm.resize(frames * outChannels * 2);
    char* out = pcm.data();
    for (qsizetype f = 0; f < frames; ++f) {
        const char* frame = sound.samples.constData() + f * frameBytes;
        long sum = 0;
        for (int c = 0; c < sound.channels; ++c) {
            const std::optional<qint16> s = sample16(sound, frame + c * bytesPerSample);
            if (!s)
                return {};
            if (outChannels == sound.channels) {
                qToLittleEndian<qint16>(*s, out);
                out += 2;
            }
            sum += *s;
        }
        if (outChannels != sound.channels) {
            qToLittleEndian<qint16>(static_cast<qint16>(sum / sound.channels), out);
            out += 2;
        }
    }
    return pcm16File(pcm, outChannels, sound.sampleRate);
}

} // namespace tanzo::wav
