#pragma once

#include "platform/SoundPlayer.h"

#include <QStringList>

namespace tanzo::test {

// Plays nothing; keeps the paths it was asked to make ready and to play,
// in order.
class RecordingSoundPlayer : public SoundPlayer {
public:
    void prepare(const QString& path) override { prepared << path; }
    void play(const QString& path) override { played << path; }
    bool canPlay() override { return playable; }

    QStringList prepared;
    QStringList played;
    bool playable = true; // false: as on a system without an audio device
};

} // namespace tanzo::test
