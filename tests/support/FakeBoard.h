#pragma once

#include "core/BoardHost.h"

#include <QFont>
#include <QPoint>
#include <QRect>

#include <vector>

namespace tanzo::test {

// The board as the notices, the editor and the options windows see it: a
// rectangle, a font and an icon the test may set, and a record of what they
// asked of it. No window stands behind it.
class FakeBoard : public BoardHost {
public:
    struct Placement {
        Focus focus;
        QRect rect;
    };

    void applyBoardLayout(int size) override;
    QRect boardRect() const override;
    void moveBoardTo(int left, int top) override;
    void placeBoardAt(const QRect& pixels, Focus focus) override;
    void raiseBoardOnce(Focus focus) override;
    void setBoardStaysOnTop(bool on) override;
    void applyWindowOptions() override;
    bool isInTray() const override;
    QFont boardFont() const override;
    QIcon boardIcon() const override;
    QWidget* boardWidget() override;

    QRect rect{100, 200, 410, 94};
    bool inTray = false;
    QFont font{QStringLiteral("IPAGothic"), 9};
    int windowOptionApplies = 0;
    std::vector<int> layouts;
    std::vector<QPoint> moves;
    std::vector<Placement> placements;
    std::vector<Focus> raises;
    std::vector<bool> staysOnTop;
};

} // namespace tanzo::test
