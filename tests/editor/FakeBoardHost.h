#pragma once

#include "core/BoardHost.h"

#include <QString>

#include <vector>

namespace tanzo::test {

// Records the timer calls the editor makes, in order ("stop", "start").
class FakeBoardHost : public BoardHost {
public:
    void stopTimer() override { calls.push_back(QStringLiteral("stop")); }
    void startTimer() override { calls.push_back(QStringLiteral("start")); }
    void applyBoardLayout(int) override {}
    QRect boardRect() const override { return {}; }
    void moveBoardTo(int, int) override {}
    void placeBoard(int, const QRect&, int) override {}
    bool isInTray() const override { return false; }
    void applyWindowOptions() override {}
    QFont boardFont() const override { return {}; }
    QIcon boardIcon() const override { return {}; }
    QWidget* boardWidget() override { return nullptr; }

    std::vector<QString> calls;
};

} // namespace tanzo::test
