// Bytes of a sound file the user picked through the WAV reader, and what it
// reads through the rewriting to 16-bit PCM. Besides crashes and undefined
// behaviour it catches a rewrite that the reader itself cannot read back.
#include "sound/WavFile.h"

#include <cstdint>
#include <cstdlib>

using namespace tanzo;

namespace {
void require(bool condition) {
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<wav::Sound> sound = wav::parse(bytes);
    if (!sound)
        return 0;
    require(sound->channels > 0 && sound->sampleRate > 0);
    const QByteArray pcm = wav::toPcm16(*sound);
    if (pcm.isEmpty())
        return 0;
    const std::optional<wav::Sound> again = wav::parse(pcm);
    require(again && wav::effectDecodes(*again));
    require(again->channels == (sound->channels <= 2 ? sound->channels : 1));
    return 0;
}
