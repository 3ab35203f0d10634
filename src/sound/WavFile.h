#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tanzo::wav {

// Notification sounds are short; a larger file is not read into memory.
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

enum Format : quint16 {
    Pcm = 1,
    Float = 3,
    ALaw = 6,
    MuLaw = 7,
    Extensible = 0xFFFE,
};

struct Sound {
    quint16 format = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint16 bitsPerSample = 0;
    QByteArray samples;
};

// Reads the fmt and data chunks of a RIFF WAVE file. Damaged or truncated
// files give nothing, or as many whole samples as are present.
std::optional<Sound> parse(const QByteArray& bytes);
// The same from a file; nothing for a missing, unreadable or oversized one.
std::optional<Sound> read(const QString& path);
// Only the start of the file: enough to tell its encoding without reading
// the samples, which may be megabytes.
std::optional<Sound> readFormat(const QString& path);

// True for the encodings the toolkit's sound effect decodes itself
// (8- and 16-bit PCM, mono or stereo).
bool effectDecodes(const Sound& sound);

// The sound rewritten as a 16-bit PCM WAV file, more than two channels
// mixed down to mono. Empty when the encoding is not one this reader knows.
QByteArray toPcm16(const Sound& sound);

} // namespace tanzo::wav
