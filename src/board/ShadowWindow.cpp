#include "ShadowWindow.h"

#include "core/AppState.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QEvent>

namespace tanzo {

namespace {
constexpr double kOffScreenTwips = -20000;
}

ShadowWindow::ShadowWindow(const QIcon& icon, const QSize& boardSize)
    : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("frmShadow"));
    setWindowTitle(kAppTitle);
    setWindowIcon(icon);
    resize(boardSize);
    move(offScreenPosition());
}

QPoint ShadowWindow::offScreenPosition() {
    const int px = Twips::fromPrimaryScreen().toPixels(kOffScreenTwips);
    return {px, px};
}

void ShadowWindow::showOffScreen() {
    move(offScreenPosition());
    show();
}

void ShadowWindow::showIconified() { showMinimized(); }

void ShadowWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !isMinimized()) {
        emit activated();
    } else if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (change->oldState().testFlag(Qt::WindowMinimized) && !isMinimized())
            emit unminimised();
    }
}

// The button belongs to the board: closing it from the task bar would leave
// the setting on with no button, so the proxy stays until the board drops it.
void ShadowWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

} // namespace tanzo
