#pragma once

#include "board/BoardView.h"

#include <QFont>
#include <QPoint>
#include <QRect>

#include <array>
#include <vector>

namespace tanzo::test {

// The board as the editor, the options windows and the board's own pieces
// see it: a rectangle, a font and an icon the test may set, and a record of
// what they asked of it. No window stands behind it; a fill ends at once.
class FakeBoard : public BoardView {
public:
    struct Placement {
        Focus focus;
        QRect rect;
    };

    QRect boardRect() const override;
    void moveBoardTo(int left, int top) override;
    void placeBoardAt(const QRect& pixels, Focus focus) override;
    void raiseBoardOnce(Focus focus) override;
    void setBoardStaysOnTop(bool on) override;
    void hideInTray() override;
    bool isInTray() const override;
    void applyBoardLayout(int size) override;
    QFont boardFont() const override;
    QIcon boardIcon() const override;
    QWidget* boardWidget() override;
    void fillBoard(int firstIndex, QDate from, QDate to, bool force,
                   std::function<void()> done) override;
    bool fillRunning() const override;
    bool closing() const override;
    void setCommentToolTip(int row, const QString& tip) override;
    QPoint commandMenuAnchor() const override;
    void showCommandMenuOpen(bool open) override;

    QRect rect{100, 200, 410, 94};
    bool inTray = false;
    QFont font{QStringLiteral("IPAGothic"), 9};
    std::vector<int> layouts;
    std::vector<QPoint> moves;
    std::vector<Placement> placements;
    std::vector<Focus> raises;
    std::vector<bool> staysOnTop;
    std::array<QString, 3> toolTips;
};

} // namespace tanzo::test
