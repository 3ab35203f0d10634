#include "FakeBoard.h"

#include <QIcon>
#include <QPixmap>

namespace tanzo::test {

void FakeBoard::applyBoardLayout(int size) {
    layouts.push_back(size);
}

QRect FakeBoard::boardRect() const {
    return rect;
}

void FakeBoard::moveBoardTo(int left, int top) {
    rect.moveTo(left, top);
    moves.emplace_back(left, top);
}

void FakeBoard::placeBoardAt(const QRect& pixels, Focus focus) {
    placements.push_back({focus, pixels});
    rect = pixels;
}

void FakeBoard::raiseBoardOnce(Focus focus) {
    raises.push_back(focus);
}

void FakeBoard::setBoardStaysOnTop(bool on) {
    staysOnTop.push_back(on);
}

void FakeBoard::applyWindowOptions() {
    ++windowOptionApplies;
}

bool FakeBoard::isInTray() const {
    return inTray;
}

QFont FakeBoard::boardFont() const {
    return font;
}

QIcon FakeBoard::boardIcon() const {
    // Not null, so that a window showing it shows something.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

QWidget* FakeBoard::boardWidget() {
    return nullptr;
}

} // namespace tanzo::test
