#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace tanzo::assets {

inline constexpr int kChordSampleRate = 44100;

// The default notice sound: a soft major chord of about one second, mono
// 16-bit samples. The envelope rises over a few milliseconds and falls back
// to silence before the end, so the sound neither clicks on nor cuts off.
std::vector<int16_t> synthesiseChord();

// A canonical 44-byte-header PCM WAV file (16-bit, mono) holding the samples.
QByteArray wavFile(const std::vector<int16_t>& samples, int sampleRate);

} // namespace tanzo::assets
