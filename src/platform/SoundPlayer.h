#pragma once

#include <QString>

namespace tanzo {

// Plays a WAV file asynchronously (PlaySound with SND_ASYNC). A missing or
// unplayable file plays nothing and reports nothing.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& path) = 0;
};

// The real player: QSoundEffect for the PCM encodings it decodes, and a
// fallback through QMediaPlayer for other WAV encodings.
SoundPlayer& defaultSoundPlayer();

} // namespace tanzo
