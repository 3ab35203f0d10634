#include "FakeBoard.h"

#include <QIcon>
#include <QPixmap>

namespace tanzo::test {

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
    inTray = false;
}

void FakeBoard::raiseBoardOnce(Focus focus) {
    raises.push_back(focus);
}

void FakeBoard::setBoardStaysOnTop(bool on) {
    staysOnTop.push_back(on);
}

void FakeBoard::hideInTray() {
    inTray = true;
}

bool FakeBoard::isInTray() const {
    return inTray;
}

void FakeBoard::applyBoardLayout(int size) {
    layouts.push_back(size);
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

void FakeBoard::fillBoard(int, QDate, QDate, bool, std::function<void()> done) {
    if (done)
        done();
}

bool FakeBoard::fillRunning() const {
    return false;
}

bool FakeBoard::closing() const {
    return false;
}

void FakeBoard::setCommentToolTip(int row, const QString& tip) {
    toolTips.at(static_cast<size_t>(row)) = tip;
}

QPoint FakeBoard::commandMenuAnchor() const {
    return rect.topLeft();
}

void FakeBoard::showCommandMenuOpen(bool) {}

} // namespace tanzo::test
