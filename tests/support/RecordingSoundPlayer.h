#pragma once

#include "platform/SoundPlayer.h"

#include <QStringList>

namespace tanzo::test {

// Plays nothing; keeps the paths it was asked to play, in order.
class RecordingSoundPlayer : public SoundPlayer {
public:
    void play(const QString& path) override { played << path; }

    QStringList played;
};

} // namespace tanzo::test
