// The chord and the icons as the build makes them: a WAV the program's player
// can decode, that neither clicks nor clips, and icons drawn in every size
// the desktop asks for.
#include "ChordSynth.h"
#include "platform/AppIcon.h"

#include <QFile>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

using tanzo::assets::kChordSampleRate;

uint16_t le16(const QByteArray& b, int at) {
    return qFromLittleEndian<uint16_t>(b.constData() + at);
}
uint32_t le32(const QByteArray& b, int at) {
    return qFromLittleEndian<uint32_t>(b.constData() + at);
}

// Relative power of one frequency in the samples (Goertzel).
double powerAt(const std::vector<int16_t>& samples, double frequency) {
    const double w = 2 * std::numbers::pi * frequency / kChordSampleRate;
    const double coeff = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (int16_t x : samples) {
        const double s0 = x / 32768.0 + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return (s1 * s1 + s2 * s2 - coeff * s1 * s2) / samples.size();
}

int maxAbs(const std::vector<int16_t>& samples, size_t from, size_t to) {
    int peak = 0;
    for (size_t i = from; i < to && i < samples.size(); ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    return peak;
}

TEST(ChordSound, IsSixteenBitMonoPcmOfAboutOneSecond) {
    const auto samples = tanzo::assets::synthesiseChord();
    const QByteArray wav = tanzo::assets::wavFile(samples, kChordSampleRate);
    ASSERT_GE(wav.size(), 44);
    EXPECT_EQ(wav.mid(0, 4), "RIFF");
    EXPECT_EQ(le32(wav, 4), static_cast<uint32_t>(wav.size() - 8));
    EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(le32(wav, 16), 16u);
    EXPECT_EQ(le16(wav, 20), 1) << "PCM";
    EXPECT_EQ(le16(wav, 22), 1) << "mono";
    EXPECT_EQ(le32(wav, 24), 44100u);
    EXPECT_EQ(le32(wav, 28), 44100u * 2);
    EXPECT_EQ(le16(wav, 32), 2);
    EXPECT_EQ(le16(wav, 34), 16);
    EXPECT_EQ(wav.mid(36, 4), "data");
    EXPECT_EQ(le32(wav, 40), static_cast<uint32_t>(samples.size() * 2));
    EXPECT_EQ(wav.size(), 44 + static_cast<qsizetype>(samples.size() * 2));
    // Little-endian samples in order.
    EXPECT_EQ(static_cast<int16_t>(le16(wav, 44 + 2 * 1000)), samples[1000]);

    const double seconds = static_cast<double>(samples.size()) / kChordSampleRate;
    EXPECT_GE(seconds, 0.8);
    EXPECT_LE(seconds, 1.5);
}

TEST(ChordSound, IsLoudWithoutClippingAndFadesInAndOut) {
    const auto samples = tanzo::assets::synthesiseChord();
    const int peak = maxAbs(samples, 0, samples.size());
    EXPECT_GT(peak, 32767 / 3) << "too quiet to be heard as a notice";
    EXPECT_LT(peak, 32767 * 95 / 100) << "no headroom: the mix would clip";

    // A sound that starts or stops at full level clicks.
    const size_t ms = kChordSampleRate / 1000;
    EXPECT_LT(std::abs(samples.front()), 100);
    EXPECT_LT(maxAbs(samples, 0, ms), peak / 10);
    EXPECT_LT(maxAbs(samples, samples.size() - 5 * ms, samples.size()), peak / 50);
    EXPECT_LT(std::abs(samples.back()), 100);

    // Nor may the envelope jump anywhere in between.
    int jump = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        jump = std::max(jump, std::abs(samples[i] - samples[i - 1]));
    }
    EXPECT_LT(jump, peak / 4);
}

TEST(ChordSound, SoundsTheNotesOfTheChord) {
    const auto samples = tanzo::assets::synthesiseChord();
    const double offNote = powerAt(samples, 587.33); // D5, not in the chord
    for (double note : {523.25, 659.26, 783.99}) {
        EXPECT_GT(powerAt(samples, note), 20 * offNote) << note << " Hz";
    }
}

TEST(BuiltAssets, ChordFileIsTheSynthesisedOne) {
    QFile file(QStringLiteral(TANZO_BUILT_CHORD));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << TANZO_BUILT_CHORD;
    EXPECT_EQ(file.readAll(),
              tanzo::assets::wavFile(tanzo::assets::synthesiseChord(), kChordSampleRate));
}

class IconSize : public ::testing::TestWithParam<int> {};

TEST_P(IconSize, IsDrawnSquareInTheBoardColours) {
    const int size = GetParam();
    const QImage image = tanzo::appIconImage(size);
    ASSERT_EQ(image.size(), QSize(size, size));

    int dark = 0, light = 0, amber = 0, transparent = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 16) {
                ++transparent;
            } else if (c.blue() > 0x30 && c.red() < 0x40 && c.green() < 0x50) {
                ++dark;
            } else if (c.red() > 0xd0 && c.green() > 0xd0 && c.blue() > 0xd0) {
                ++light;
            } else if (c.red() > 0xe0 && c.green() > 0x90 && c.green() < 0xd0 && c.blue() < 0x60) {
                ++amber;
            }
        }
    }
    const int area = size * size;
    EXPECT_GT(dark, area / 5) << "the dark blue tile";
    EXPECT_GT(light, area / 8) << "the white flap";
    EXPECT_GT(amber, 0) << "the amber lamp";
    EXPECT_LT(transparent, area / 10) << "the tile fills the square";
    // The flap sits in the middle of the tile.
    const QColor centreAbove = image.pixelColor(size / 2, size * 3 / 10);
    EXPECT_GT(centreAbove.lightness(), 200);
}

TEST_P(IconSize, BuiltPngMatchesTheDrawing) {
    const int size = GetParam();
    const QString path =
        QStringLiteral(TANZO_BUILT_ICONS) + QStringLiteral("/%1x%1/apps/tanzo.png").arg(size);
    QImage built(path);
    ASSERT_FALSE(built.isNull()) << path.toStdString();
    EXPECT_EQ(built.convertToFormat(QImage::Format_ARGB32),
              tanzo::appIconImage(size).convertToFormat(QImage::Format_ARGB32));
}

INSTANTIATE_TEST_SUITE_P(Desktop, IconSize, ::testing::Values(16, 32, 48, 64, 128, 256));

} // namespace
