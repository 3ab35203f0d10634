#include "ChordSynth.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tanzo::assets {

namespace {

struct Voice {
    double frequency;
    double level;
    double delay; // seconds: a gentle strum rather than a block chord
};

// C major with the octave: C5, E5, G5, C6.
constexpr Voice kVoices[] = {
    {523.25, 0.30, 0.000},
    {659.26, 0.24, 0.030},
    {783.99, 0.22, 0.060},
    {1046.50, 0.12, 0.090},
};

constexpr double kDuration = 1.1;
constexpr double kAttack = 0.012;
constexpr double kRelease = 0.25;
constexpr double kDecay = 2.6; // exponential decay rate per second
constexpr double kPeak = 0.80; // of full scale, keeps headroom for the mix

double envelope(double t, double length) {
    if (t < 0) {
        return 0;
    }
    double e = std::exp(-kDecay * t);
    if (t < kAttack) {
        e *= 0.5 - 0.5 * std::cos(std::numbers::pi * t / kAttack);
    }
    const double untilEnd = length - t;
    if (untilEnd < kRelease) {
        e *= std::max(0.0, 0.5 - 0.5 * std::cos(std::numbers::pi * untilEnd / kRelease));
    }
    return e;
}

void appendLe16(QByteArray& out, uint16_t v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void appendLe32(QByteArray& out, uint32_t v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

std::vector<int16_t> synthesiseChord() {
    const int count = static_cast<int>(kDuration * kChordSampleRate);
    std::vector<double> mix(count, 0.0);
    for (const Voice& v : kVoices) {
        for (int i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / kChordSampleRate;
            const double local = t - v.delay;
            const double e = envelope(local, kDuration - v.delay);
            if (e == 0) {
                continue;
            }
            const double phase = 2 * std::numbers::pi * v.frequency * local;
            // A little second harmonic warms the tone like a soft chime.
            mix[i] += v.level * e * (std::sin(phase) + 0.18 * std::sin(2 * phase));
        }
    }

    double peak = 0;
    for (double s : mix) {
        peak = std::max(peak, std::abs(s));
    }
    const double gain = peak > 0 ? kPeak / peak : 0;

    std::vector<int16_t> samples(count);
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>(std::lround(mix[i] * gain * 32767.0));
    }
    return samples;
}

QByteArray wavFile(const std::vector<int16_t>& samples, int sampleRate) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    QByteArray out;
    out.reserve(44 + static_cast<qsizetype>(dataBytes));
    out.append("RIFF", 4);
    appendLe32(out, 36 + dataBytes);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    appendLe32(out, 16);                                    // chunk size
    appendLe16(out, 1);                                     // PCM
    appendLe16(out, 1);                                     // mono
    appendLe32(out, static_cast<uint32_t>(sampleRate));     // frames per second
    appendLe32(out, static_cast<uint32_t>(sampleRate * 2)); // bytes per second
    appendLe16(out, 2);                                     // bytes per frame
    appendLe16(out, 16);                                    // bits per sample
    out.append("data", 4);
    appendLe32(out, dataBytes);
    for (int16_t s : samples) {
        appendLe16(out, static_cast<uint16_t>(s));
    }
    return out;
}

} // namespace tanzo::assets
