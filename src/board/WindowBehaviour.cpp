#include "WindowBehaviour.h"

#include "BoardContent.h"
#include "BoardMenus.h"
#include "ShadowWindow.h"
#include "TrayIcon.h"

#include "core/AppContext.h"
#include "core/BoardHost.h"
#include "platform/Beep.h"
#include "platform/Clock.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace tanzo {
namespace {

const QString kControlOpen = QStringLiteral("■");
const QString kControlClosed = QStringLiteral("□");

// Moving commands draw a window around today, so every row animates.
constexpr int kPageWindowDays = 30;

constexpr int kTopMost = static_cast<int>(InsertAfter::TopMost);
constexpr int kNoTopMost = static_cast<int>(InsertAfter::NoTopMost);
constexpr int kTop = static_cast<int>(InsertAfter::Top);

// Far enough off the screen that a hidden board is never seen by accident.
constexpr int kHiddenBoardPixels = -2000;

} // namespace

WindowBehaviour::WindowBehaviour(AppContext& state, BoardWindowApi& board, QObject* parent)
    : QObject(parent), m_state(state), m_board(board), m_menus(std::make_unique<BoardMenus>()),
      m_trayAvailable(&TrayIcon::isAvailable) {
    connectMenus();
}

WindowBehaviour::WindowBehaviour(AppContext& state, MainWindow& board, QObject* parent)
    : QObject(parent), m_state(state), m_ownApi(std::make_unique<MainWindowApi>(board)),
      m_board(*m_ownApi), m_menus(std::make_unique<BoardMenus>()),
      m_trayAvailable(&TrayIcon::isAvailable) {
    connectMenus();
}

WindowBehaviour::~WindowBehaviour() {
    delete m_shadow.data();
    delete m_trayStandIn.data();
}

void WindowBehaviour::setTrayAvailableProbe(std::function<bool()> probe) {
    m_trayAvailable = std::move(probe);
}

QWidget* WindowBehaviour::boardWidget() const {
    return m_board.host().boardWidget();
}

void WindowBehaviour::connectMenus() {
    const auto on = [this](const char* name, auto handler) {
        connect(m_menus->action(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("mnuPop_Schedule", [this] { emit scheduleRequested(); });
    on("mnuPop_Sync", [this] { emit syncRequested(); });
    on("mnuPop_View_BackPage", [this] { runView(ViewCommand::BackPage); });
    on("mnuPop_View_Back", [this] { runView(ViewCommand::Back); });
    on("mnuPop_View_Refresh", [this] { runView(ViewCommand::Refresh); });
    on("mnuPop_View_Next", [this] { runView(ViewCommand::Next); });
    on("mnuPop_View_NextPage", [this] { runView(ViewCommand::NextPage); });
    on("mnuPop_Size_Big", [this] { setWindowSize(Big); });
    on("mnuPop_Size_Middle", [this] { setWindowSize(Middle); });
    on("mnuPop_Size_Small", [this] { setWindowSize(Small); });
    on("mnuPop_Option", [this] { emit optionRequested(); });
    // The check marks were set from the settings when the menu opened, so
    // the toggled mark is the new value.
    on("mnuPop_ShowTask", [this](bool checked) { setShowTask(checked); });
    on("mnuPop_Topmost", [this](bool checked) { setTopMost(checked); });
    on("mnuPop_ActDisp", [this](bool checked) { m_state.settings.ActiveDisplay = checked; });
    on("mnuPop_SavePos", [this](bool checked) { m_state.settings.SaveLastPosition = checked; });
    on("mnuPop_About", [this] { emit aboutRequested(); });
    on("mnuPop_Help", [this] { emit helpRequested(); });
    on("mnuPop_Exit", [this] { emit exitRequested(); });

    on("mnuTray_Open", [this] { restoreFromTray(); });
    on("mnuTray_Schedule", [this] { emit scheduleRequested(); });
    on("mnuTray_Sync", [this] { emit syncRequested(); });
    on("mnuTray_Option", [this] { emit optionRequested(); });
    on("mnuTray_About", [this] { emit aboutRequested(); });
    on("mnuTray_Help", [this] { emit helpRequested(); });
    on("mnuTray_Exit", [this] { trayExit(); });
}

void WindowBehaviour::controlClicked() {
    if (!m_state.schedule.isLoaded())
        return;
    m_drag.disarm();
    QPointer<QLabel> control = m_board.label(QStringLiteral("lblCntl"));
    if (control)
        control->setText(kControlOpen);
    m_menus->apply(popupMenuState(pageView(), m_state.settings, Twips::screenSizeTwips()));

    // A chosen command runs inside exec; the exit command may take the board
    // (and this object) with it.
    QPointer<WindowBehaviour> alive(this);
    m_menus->popup()->exec(QCursor::pos());
    if (alive && control)
        control->setText(kControlClosed);
}

PageView WindowBehaviour::pageView() {
    return {m_state.schedule.view(), m_board.page(), m_board.fillRunning()};
}

void WindowBehaviour::runView(ViewCommand command) {
    if (command == ViewCommand::Refresh) {
        refresh();
        return;
    }
    const std::optional<int> target = pageTarget(command, pageView());
    if (!target) {
        systemBeep();
        return;
    }
    const QDate today = m_state.clock.today();
    const int n = *target;
    // The page index changes only once the rows show it, so that handlers
    // running during the fill (the tool tip) still see the old page.
    BoardWindowApi& board = m_board;
    m_board.fillBoard(n, today.addDays(-kPageWindowDays), today.addDays(kPageWindowDays), false,
                      [&board, n] { board.page().firstRow = n; });
}

void WindowBehaviour::refresh() {
    m_board.page().nextEntry = 0;
    m_board.locateNextEntry();
    const QDate today = m_state.clock.today();
    m_board.fillBoard(m_board.page().nextEntry, today, today, true, {});
}

bool WindowBehaviour::keyDown(int qtKey, Qt::KeyboardModifiers modifiers) {
    const KeyAction action =
        keyAction(qtKey, modifiers, !m_state.schedule.isLoaded(), m_board.fillRunning());
    if (const std::optional<ViewCommand> view = viewCommandOf(action)) {
        runView(*view);
        return true;
    }
    switch (action) {
    case KeyAction::Ignore:
        return false;
    case KeyAction::Beep:
        systemBeep();
        return true;
    case KeyAction::Exit:
        emit exitRequested();
        return true;
    case KeyAction::Schedule:
        emit scheduleRequested();
        return true;
    case KeyAction::Help:
        emit helpRequested();
        return true;
    default:
        return false;
    }
}

void WindowBehaviour::titleMouseDown(Qt::MouseButton button, const QPoint& globalCursor) {
    if (button != Qt::LeftButton)
        return;
    // Without pointer tracking the last stored position may be old; the drag
    // starts from where the button went down (not where the pointer is by
    // the time the press is handled), so the board neither jumps nor lags.
    m_drag.press(globalCursor);
}

void WindowBehaviour::titleMouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        m_drag.release();
}

void WindowBehaviour::formMouseMove(const QPoint& globalCursor) {
    if (m_trayMode)
        return;
    const QPoint from = m_board.host().boardRect().topLeft();
    if (const std::optional<QPoint> to = m_drag.move(globalCursor, from)) {
        m_board.host().moveBoardTo(to->x(), to->y());
        emit dragged(to->x(), to->y());
    }
}

void WindowBehaviour::commentMouseMove(int index) {
    if (index < 0 || index > 5)
        return;
    const int textIndex = index >= 3 ? index : index + 3;
    QLabel* target = m_board.label(QStringLiteral("lblComment_%1").arg(index));
    if (!target)
        return;
    const QLabel* status = m_board.label(QStringLiteral("lblStatus_%1").arg(textIndex));
    const QLabel* comment = m_board.label(QStringLiteral("lblComment_%1").arg(textIndex));
    target->setToolTip(commentToolTip(m_state.schedule.view(), m_board.page().firstRow, textIndex,
                                      status ? status->text() : QString(),
                                      comment ? comment->text() : QString()));
}

void WindowBehaviour::miniClicked() {
    hideToTray();
}

void WindowBehaviour::hideToTray() {
    if (m_trayMode)
        return;
    dropShadow();
    BoardHost& host = m_board.host();
    const QSize size = host.boardRect().size();
    if (QWidget* board = boardWidget())
        board->hide();
    // Without the show flag the hidden board stays hidden while it moves.
    host.placeBoard(kNoTopMost, QRect(QPoint(kHiddenBoardPixels, kHiddenBoardPixels), size),
                    NoActivate);
    showTrayIcon();
    m_trayMode = true;
}

void WindowBehaviour::restoreFromTray() {
    // Only a board in the tray comes back; anything else would throw a
    // visible board back to its stored position.
    if (!m_trayMode)
        return;
    const Settings& s = m_state.settings;
    // The proxy is only a button: the board itself takes the activation below.
    if (s.ShowTask && !m_shadow)
        createShadow();
    dropTrayIcon();

    BoardHost& host = m_board.host();
    QWidget* board = boardWidget();
    if (board)
        board->setWindowState(board->windowState() & ~Qt::WindowMinimized);
    const QRect target(QPoint(s.LastPositionX, s.LastPositionY), host.boardRect().size());
    if (!m_openNotices || m_openNotices() < 1) {
        host.placeBoard(kTopMost, target, ShowWindow);
        if (!s.TopMost)
            host.placeBoard(kNoTopMost, target, ShowWindow);
    } else {
        // Open notices stay above the board.
        host.placeBoard(s.TopMost ? kTopMost : kTop, target, ShowWindow | NoActivate);
    }
    if (board)
        board->activateWindow();
    // Out of the tray first, so that the layout sets the outer size too (a
    // size chosen while in the tray would otherwise never reach the window).
    m_trayMode = false;
    host.applyBoardLayout(s.WindowSize);
}

void WindowBehaviour::trayExit() {
    dropTrayIcon();
    emit exitRequested();
}

void WindowBehaviour::exitRefused() {
    // The board must not stay in the tray without an icon.
    if (m_trayMode)
        showTrayIcon();
}

void WindowBehaviour::withdraw() {
    dropTrayIcon();
    dropShadow();
}

void WindowBehaviour::setTopMost(bool on) {
    m_state.settings.TopMost = on;
    m_board.host().placeBoard(on ? kTopMost : kNoTopMost, m_board.host().boardRect(), ShowWindow);
}

void WindowBehaviour::applyWindowOptions() {
    syncShadow();
    // A board in the tray takes TopMost when it comes back.
    if (m_trayMode)
        return;
    QWidget* board = boardWidget();
    if (board && staysOnTop(board) == m_state.settings.TopMost)
        return;
    BoardHost& host = m_board.host();
    host.placeBoard(m_state.settings.TopMost ? kTopMost : kNoTopMost, host.boardRect(), NoActivate);
}

void WindowBehaviour::setShowTask(bool on) {
    m_state.settings.ShowTask = on;
    syncShadow();
}

void WindowBehaviour::setWindowSize(int size) {
    m_state.settings.WindowSize = static_cast<int16_t>(size);
    m_board.host().applyBoardLayout(size);
}

void WindowBehaviour::syncShadow() {
    const bool wanted = m_state.settings.ShowTask && !m_trayMode;
    if (wanted && !m_shadow)
        createShadow();
    else if (!wanted && m_shadow)
        dropShadow();
}

void WindowBehaviour::createShadow() {
    BoardHost& host = m_board.host();
    m_shadow = new ShadowWindow(host.boardIcon(), host.boardRect().size());
    connect(m_shadow, &ShadowWindow::activated, this, &WindowBehaviour::bringBoardForward);
    m_shadow->showAsButton();
}

// The proxy may be dropped from inside one of its own event handlers.
void WindowBehaviour::dropShadow() {
    if (!m_shadow)
        return;
    m_shadow->disconnect(this);
    m_shadow->hide();
    m_shadow->deleteLater();
    m_shadow = nullptr;
}

void WindowBehaviour::bringToFront() {
    if (m_trayMode) {
        restoreFromTray();
        return;
    }
    bringBoardForward();
    if (QWidget* board = boardWidget())
        board->activateWindow();
}

void WindowBehaviour::bringBoardForward() {
    if (m_trayMode)
        return;
    BoardHost& host = m_board.host();
    const QRect rect = host.boardRect();
    host.placeBoard(kTopMost, rect, ShowWindow);
    if (!m_state.settings.TopMost)
        host.placeBoard(kNoTopMost, rect, ShowWindow);
}

void WindowBehaviour::showTrayIcon() {
    if (m_trayAvailable && m_trayAvailable()) {
        if (!m_tray) {
            m_tray = std::make_unique<TrayIcon>(m_board.host().boardIcon(), m_menus->tray());
            connect(m_tray.get(), &TrayIcon::restoreRequested, this,
                    &WindowBehaviour::restoreFromTray);
        }
        m_tray->show();
        return;
    }
    // No tray on this desktop: a minimised window with the board's title
    // keeps a button through which the board comes back.
    if (!m_trayStandIn) {
        BoardHost& host = m_board.host();
        m_trayStandIn = new ShadowWindow(host.boardIcon(), host.boardRect().size());
        m_trayStandIn->setObjectName(QStringLiteral("frmTrayStandIn"));
        connect(m_trayStandIn, &ShadowWindow::activated, this, &WindowBehaviour::restoreFromTray);
        m_trayStandIn->showAsButton();
    }
}

void WindowBehaviour::dropTrayIcon() {
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
