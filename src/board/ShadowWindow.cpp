#include "ShadowWindow.h"

#include "core/AppContext.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QEvent>
#include <QTimer>

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

void ShadowWindow::showAsButton() {
    move(offScreenPosition());
    showMinimized();
}

void ShadowWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::ActivationChange:
        if (isActiveWindow() && !isMinimized())
            answerClick();
        break;
    case QEvent::WindowStateChange:
        if (static_cast<QWindowStateChangeEvent*>(event)->oldState().testFlag(
                Qt::WindowMinimized) &&
            !isMinimized())
            answerClick();
        break;
    default:
        break;
    }
}

// A click on the button both restores and activates the window; the owner
// hears of it once, and the window goes back to being a button.
void ShadowWindow::answerClick() {
    if (m_tuckPending)
        return;
    m_tuckPending = true;
    QTimer::singleShot(0, this, [this] {
        m_tuckPending = false;
        if (!isMinimized())
            showMinimized();
    });
    emit activated();
}

// The button belongs to the board: closing it from the task bar would leave
// the setting on with no button, so the proxy stays until the board drops it.
void ShadowWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace tanzo
