#include "TrayPresence.h"

#include "BoardView.h"
#include "ShadowWindow.h"
#include "TrayIcon.h"

#include "core/Settings.h"
#include "platform/WindowSystem.h"

#include <QWidget>

namespace tanzo {

TrayPresence::TrayPresence(const Settings& settings, BoardView& board, QMenu* trayMenu,
                           QObject* parent)
    : QObject(parent), m_settings(settings), m_board(board), m_trayMenu(trayMenu),
      m_trayAvailable(&TrayIcon::isAvailable) {}

TrayPresence::~TrayPresence() {
    delete m_proxy.data();
    delete m_trayStandIn.data();
}

bool TrayPresence::isInTray() const {
    return m_board.isInTray();
}

void TrayPresence::hideToTray() {
    if (isInTray())
        return;
    dropTaskBarProxy();
    m_board.hideInTray();
    showTrayIcon();
}

void TrayPresence::restoreFromTray() {
    // Only a board in the tray comes back; anything else would throw a
    // visible board back to its stored position.
    if (!isInTray())
        return;
    const Settings& s = m_settings;
    // The proxy is only a button: the board itself takes the activation below.
    if (s.showTask && !m_proxy)
        createTaskBarProxy();
    removeTrayIcon();

    QWidget* board = m_board.boardWidget();
    if (board)
        board->setWindowState(board->windowState() & ~Qt::WindowMinimized);
    const QRect target(QPoint(s.lastPositionX, s.lastPositionY), m_board.boardRect().size());
    // Shown, the board comes up in front anyway; open notices stay above it.
    const bool noticesOpen = m_openNotices && m_openNotices() > 0;
    m_board.setBoardStaysOnTop(s.topMost);
    // Placed, the board is out of the tray, so that the layout below sets
    // the outer size too (a size chosen while in the tray would otherwise
    // never reach the window).
    m_board.placeBoardAt(target, noticesOpen ? Focus::Leave : Focus::Take);
    if (board) {
        board->activateWindow();
        // The keys go to the board itself, not to the － that sent it away.
        board->setFocus(Qt::ActiveWindowFocusReason);
    }
    m_board.applyBoardLayout(s.windowSize);
}

void TrayPresence::exitRefused() {
    // The board must not stay in the tray without an icon.
    if (isInTray())
        showTrayIcon();
}

void TrayPresence::withdraw() {
    removeTrayIcon();
    dropTaskBarProxy();
}

void TrayPresence::applyWindowOptions() {
    syncTaskBarProxy();
    // A board in the tray is put on top again when it comes back.
    if (isInTray())
        return;
    QWidget* board = m_board.boardWidget();
    if (board && windowSystem().staysOnTop(board) == m_settings.topMost)
        return;
    m_board.setBoardStaysOnTop(m_settings.topMost);
}

void TrayPresence::syncTaskBarProxy() {
    const bool wanted = m_settings.showTask && !isInTray();
    if (wanted && !m_proxy)
        createTaskBarProxy();
    else if (!wanted && m_proxy)
        dropTaskBarProxy();
}

void TrayPresence::createTaskBarProxy() {
    m_proxy = new ShadowWindow(m_board.boardIcon(), m_board.boardRect().size());
    connect(m_proxy, &ShadowWindow::activated, this, &TrayPresence::bringBoardForward);
    m_proxy->showAsButton();
}

// The proxy may be dropped from inside one of its own event handlers.
void TrayPresence::dropTaskBarProxy() {
    if (!m_proxy)
        return;
    m_proxy->disconnect(this);
    m_proxy->hide();
    m_proxy->deleteLater();
    m_proxy = nullptr;
}

void TrayPresence::bringToFront() {
    if (isInTray()) {
        restoreFromTray();
        return;
    }
    bringBoardForward();
    if (QWidget* board = m_board.boardWidget())
        board->activateWindow();
}

void TrayPresence::bringBoardForward() {
    if (!isInTray())
        m_board.raiseBoardOnce(Focus::Take);
}

void TrayPresence::comeForwardForFill() {
    if (!m_settings.activeDisplay)
        return;
    if (isInTray()) {
        restoreFromTray();
        emit cameForward();
        return;
    }
    const bool allDialogsOpen = m_allDialogsOpen && m_allDialogsOpen();
    if (allDialogsOpen || m_settings.topMost)
        return;
    m_board.raiseBoardOnce(Focus::Leave);
    emit cameForward();
}

void TrayPresence::showTrayIcon() {
    if (m_trayAvailable && m_trayAvailable()) {
        if (!m_tray) {
            m_tray = std::make_unique<TrayIcon>(m_board.boardIcon(), m_trayMenu);
            connect(m_tray.get(), &TrayIcon::restoreRequested, this,
                    &TrayPresence::restoreFromTray);
        }
        m_tray->show();
        return;
    }
    // No tray on this desktop: a minimised window with the board's title
    // keeps a button through which the board comes back.
    if (!m_trayStandIn) {
        m_trayStandIn = new ShadowWindow(m_board.boardIcon(), m_board.boardRect().size());
        m_trayStandIn->setObjectName(QStringLiteral("frmTrayStandIn"));
        connect(m_trayStandIn, &ShadowWindow::activated, this, &TrayPresence::restoreFromTray);
        m_trayStandIn->showAsButton();
    }
}

void TrayPresence::removeTrayIcon() {
    if (m_tray)
        m_tray->hide();
    if (m_trayStandIn) {
        m_trayStandIn->disconnect(this);
        m_trayStandIn->hide();
        m_trayStandIn->deleteLater();
        m_trayStandIn = nullptr;
    }
}

} // namespace tanzo
