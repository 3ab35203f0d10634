#pragma once

#include "platform/SoundPlayer.h"

#include <QStringList>

namespace tanzo::test {

// Plays nothing; keeps the paths it was asked to play, in order.
class RecordingSoundPlayer : public SoundPlayer {
public:
    void play(const QString& path) override { played << path; }
    bool canPlay() override { return playable; }

    QStringList played;
    bool playable = true; // false: as on a system without an audio device
};

} // namespace tanzo::test
