#pragma once

#include "core/BoardHost.h"

#include <QString>

#include <vector>

namespace tanzo::test {

// A board that is not there.
class FakeBoardHost : public BoardHost {
public:
    void applyBoardLayout(int) override {}
    QRect boardRect() const override { return {}; }
    void moveBoardTo(int, int) override {}
    void placeBoardAt(const QRect&, Focus) override {}
    void raiseBoardOnce(Focus) override {}
    void setBoardStaysOnTop(bool) override {}
    bool isInTray() const override { return false; }
    void applyWindowOptions() override {}
    QFont boardFont() const override { return {}; }
    QIcon boardIcon() const override { return {}; }
    QWidget* boardWidget() override { return nullptr; }
};

} // namespace tanzo::test
