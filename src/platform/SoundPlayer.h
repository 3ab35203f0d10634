#pragma once

#include <QString>

namespace tanzo {

// Plays a WAV file without waiting for it to end: play returns at once and
// the sound goes on. A missing or unplayable file plays nothing and reports
// nothing.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& path) = 0;
    // Readies what playing `path` needs (the audio connection, the decoded
    // file), so that a play soon after starts at once.
    virtual void prepare(const QString& path) { Q_UNUSED(path) }
    // False when nothing can be heard at all: no audio output device (or no
    // audio module). A player that cannot play says so once in the log and
    // then plays nothing, quietly.
    virtual bool canPlay() { return true; }
};

// What the options dialog says beside its sound controls when canPlay() is false.
inline const QString kNoSoundDeviceMessage =
    QStringLiteral("音を出せる装置がないため、音は鳴りません");

// The real player. Its audio machinery lives in a module of its own, loaded
// at the first prepare or play: the board starts, and runs for as long as no
// notice is near, without the multimedia and audio libraries.
SoundPlayer& defaultSoundPlayer();

} // namespace tanzo
