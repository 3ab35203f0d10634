#include "sound/WavFile.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <vector>

using namespace tanzo;

namespace {

QByteArray le16(quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}
QByteArray le32(quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

QByteArray chunk(const char* id, const QByteArray& body) {
    QByteArray c = QByteArray(id, 4) + le32(static_cast<quint32>(body.size())) + body;
    if (body.size() % 2)
        c += '\0';
    return c;
}

QByteArray fmtBody(quint16 format, quint16 channels, quint16 bits, quint16 subFormat = 0) {
    QByteArray b = le16(format) + le16(channels) + le32(8000) + le32(8000u * channels * bits / 8) +
                   le16(static_cast<quint16>(channels * bits / 8)) + le16(bits);
    if (format == wav::Extensible)
        b += le16(22) + le16(bits) + le32(0) + le16(subFormat) + QByteArray(14, '\0');
    return b;
}

QByteArray riff(const QByteArray& chunks) {
    return "RIFF" + le32(static_cast<quint32>(4 + chunks.size())) + "WAVE" + chunks;
}

QByteArray wavFile(quint16 format, quint16 channels, quint16 bits, const QByteArray& samples,
                   quint16 subFormat = 0) {
    return riff(chunk("fmt ", fmtBody(format, channels, bits, subFormat)) + chunk("data", samples));
}

// The 16-bit samples of a file written by toPcm16.
std::vector<qint16> samplesOf(const QByteArray& pcm16File) {
    const std::optional<wav::Sound> sound = wav::parse(pcm16File);
    EXPECT_TRUE(sound);
    if (!sound)
        return {};
    EXPECT_EQ(sound->format, wav::Pcm);
    EXPECT_EQ(sound->bitsPerSample, 16);
    std::vector<qint16> out;
    for (qsizetype i = 0; i + 1 < sound->samples.size(); i += 2)
        out.push_back(qFromLittleEndian<qint16>(sound->samples.constData() + i));
    return out;
}

QByteArray floats(std::initializer_list<float> values) {
    QByteArray b;
    for (float f : values) {
        char c[4];
        qToLittleEndian(f, c);
        b.append(c, 4);
    }
    return b;
}

} // namespace

TEST(WavFile, EncodingsTheEffectCannotDecodeAreRewrittenAs16BitPcm) {
    struct Case {
        const char* name;
        QByteArray file;
        int channels;
        std::vector<qint16> expected;
    };
    const Case cases[] = {
        {"8-bit unsigned",
         wavFile(wav::Pcm, 1, 8, QByteArray("\x00\x80\xff", 3)),
         1,
         {-32768, 0, 32512}},
        {"24-bit",
         wavFile(wav::Pcm, 1, 24, QByteArray("\x00\x34\x12\x00\x00\x80", 6)),
         1,
         {0x1234, -32768}},
        {"32-bit",
         wavFile(wav::Pcm, 1, 32, le32(0x7fff0000) + le32(0x80000000)),
         1,
         {32767, -32768}},
        {"float, clamped, not-a-number silent",
         wavFile(wav::Float, 1, 32,
                 floats({0.5f, 2.0f, -2.0f, std::numeric_limits<float>::quiet_NaN()})),
         1,
         {16384, 32767, -32768, 0}},
        {"extensible naming float",
         wavFile(wav::Extensible, 1, 32, floats({-0.5f}), wav::Float),
         1,
         {-16384}},
        {"mu-law", wavFile(wav::MuLaw, 1, 8, QByteArray("\xff\x00", 2)), 1, {0, -32124}},
        {"a-law", wavFile(wav::ALaw, 1, 8, QByteArray("\xd5\x55", 2)), 1, {8, -8}},
        // Three channels become one, their mean.
        {"three channels mixed down",
         wavFile(wav::Pcm, 3, 16, le16(300) + le16(600) + le16(900)),
         1,
         {600}},
        // A last frame cut short is left out, not read past the end.
        {"truncated frame",
         wavFile(wav::Pcm, 2, 32, le32(0x10000) + le32(0x20000) + le32(0x30000)),
         2,
         {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<wav::Sound> sound = wav::parse(c.file);
        ASSERT_TRUE(sound);
        const QByteArray pcm = wav::toPcm16(*sound);
        ASSERT_FALSE(pcm.isEmpty());
        EXPECT_EQ(wav::parse(pcm)->channels, c.channels);
        EXPECT_EQ(samplesOf(pcm), c.expected);
    }
}

TEST(WavFile, OnlyMonoAndStereo8And16BitPcmGoStraightToTheEffect) {
    EXPECT_TRUE(wav::effectDecodes(*wav::parse(wavFile(wav::Pcm, 2, 16, le32(0)))));
    EXPECT_TRUE(wav::effectDecodes(*wav::parse(wavFile(wav::Pcm, 1, 8, "x"))));
    EXPECT_FALSE(wav::effectDecodes(*wav::parse(wavFile(wav::Pcm, 1, 32, le32(0)))));
    EXPECT_FALSE(wav::effectDecodes(*wav::parse(wavFile(wav::Pcm, 3, 16, le16(0)))));
    EXPECT_FALSE(wav::effectDecodes(*wav::parse(wavFile(wav::Float, 1, 32, le32(0)))));
}

TEST(WavFile, DamagedOrUnknownFilesGiveNothingToPlay) {
    const QByteArray data = chunk("data", le16(1));
    const QByteArray fmt = chunk("fmt ", fmtBody(wav::Pcm, 1, 16));
    // Unknown encodings parse, but cannot be rewritten.
    EXPECT_TRUE(wav::toPcm16(*wav::parse(wavFile(0x55, 1, 16, le16(1)))).isEmpty());
    EXPECT_TRUE(wav::toPcm16(*wav::parse(wavFile(wav::Pcm, 1, 12, le16(1)))).isEmpty());
    EXPECT_TRUE(wav::toPcm16(*wav::parse(wavFile(wav::MuLaw, 1, 16, le16(1)))).isEmpty());

    const QByteArray damaged[] = {
        QByteArray(),
        QByteArray("RIFF\0\0\0\0WAVX", 12),
        riff(data),                                                    // no format
        riff(fmt),                                                     // no samples
        riff(chunk("fmt ", fmtBody(wav::Pcm, 1, 16).left(10)) + data), // short format
        riff(chunk("fmt ", fmtBody(wav::Pcm, 0, 16)) + data),          // no channels
        // A chunk that claims more than the file holds hides what follows.
        riff(QByteArray("LIST") + le32(0xfffffff0) + fmt + data),
    };
    for (const QByteArray& file : damaged) {
        SCOPED_TRACE(file.toHex().toStdString());
        EXPECT_FALSE(wav::parse(file));
    }
}

TEST(WavFile, ChunksBeforeTheFormatAreSkippedWithTheirPadding) {
    // An odd-sized chunk is followed by a pad byte.
    const QByteArray file = riff(chunk("LIST", "abc") + chunk("fmt ", fmtBody(wav::Pcm, 1, 16)) +
                                 chunk("data", le16(7)));
    const std::optional<wav::Sound> sound = wav::parse(file);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->samples, le16(7));
}

TEST(WavFile, TheFormatIsReadWithoutTheSamplesAndOversizedFilesAreRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath("long.wav");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(wavFile(wav::Pcm, 1, 32, QByteArray(1 << 20, '\x01')));
    }
    const std::optional<wav::Sound> head = wav::readFormat(path);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->bitsPerSample, 32);
    EXPECT_LT(head->samples.size(), 1 << 20);
    EXPECT_EQ(wav::read(path)->samples.size(), 1 << 20);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(wav::kMaxFileBytes + 1));
    f.close();
    EXPECT_FALSE(wav::read(path));
    EXPECT_FALSE(wav::readFormat(path));
    EXPECT_FALSE(wav::read(dir.filePath("missing.wav")));
}
