#include "MainWindow.h"

#include "board/BoardFace.h"
#include "board/FillAnimation.h"
#include "board/FocusMark.h"
#include "core/AppContext.h"
#include "core/Colors.h"
#include "platform/AppIcon.h"
#include "platform/ScreenFit.h"
#include "platform/TaskBarHint.h"
#include "platform/WindowSystem.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace tanzo {
namespace {

const QString kControlOpen = QStringLiteral("■");
const QString kControlClosed = QStringLiteral("□");
// Far enough off the screen that a board in the tray is never seen by
// accident.
constexpr int kHiddenBoardPixels = -2000;

} // namespace

using layout::Column;

MainWindow::MainWindow(AppContext& state, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool), m_state(state), m_icon(appIcon()) {
    // A window to assistive technology, named by its title, showing its
    // title strip and its rows rather than its labels.
    exposeAccessibleParts(this);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kAppTitle);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);

    m_face = std::make_unique<BoardFace>(*this, m_state.settings.values(), this);
    m_fill = std::make_unique<FillAnimation>(m_state, *m_face);
    connect(m_fill.get(), &FillAnimation::started, this, &MainWindow::showBusy);
    connect(m_fill.get(), &FillAnimation::finished, this, &MainWindow::showIdle);

    m_face->showInitialCaptions();
    m_face->readRows();
    m_focusMark = new FocusMark(*this);
    // Measuring the texts loads the fonts, which costs more than everything
    // else the board does before it appears. The window's size does not
    // depend on them, so they are measured in the first turn of the event
    // loop: after the board is shown, before it is first painted.
    // Fixed for the window manager too: it offers no maximising or resizing
    // of a board whose sizes are the three of the layout.
    setFixedSize(m_face->placeCells(m_state.settings.values().windowSize));
    QMetaObject::invokeMethod(
        this, [this] { m_face->alignPendingTexts(); }, Qt::QueuedConnection);
}

MainWindow::~MainWindow() {
    // The fill draws on the labels; end it before they go.
    m_fill.reset();
}

void MainWindow::applyBoardLayout(int size) {
    const QSize outer = m_face->layOut(size);
    if (!isInTray()) {
        setFixedSize(outer);
        // A bigger board must not push its controls past the screen's edge.
        if (isVisible())
            move(positionInsideScreens(QRect(pos(), outer)));
    }
}

QLabel* MainWindow::cell(const QString& column, int index) const {
    return m_face->cell(column, index);
}

void MainWindow::fillBoard(int firstIndex, QDate from, QDate to, bool force,
                           std::function<void()> done) {
    m_fill->start({firstIndex, from, to, force}, std::move(done));
}

bool MainWindow::fillRunning() const {
    return m_fill->running();
}

void MainWindow::showBusy() {
    setCursor(Qt::BusyCursor);
    emit fillStarted();
}

void MainWindow::showIdle() {
    unsetCursor();
    // Each row is read once, as it stands at the end of the fill.
    m_face->readRows();
}

QList<QWidget*> MainWindow::accessibleParts() const {
    return m_face->accessibleParts();
}

void MainWindow::unload() {
    m_unloading = true;
    m_fill->setAutoRun(false);
    close();
    emit unloaded();
}

QRect MainWindow::boardRect() const {
    return geometry();
}

void MainWindow::moveBoardTo(int left, int top) {
    move(left, top);
}

void MainWindow::placeBoardAt(const QRect& pixels, Focus focus) {
    m_inTray = false;
    windowSystem().placeAt(this, pixels, focus);
}

void MainWindow::raiseBoardOnce(Focus focus) {
    windowSystem().raiseOnce(this, focus);
}

void MainWindow::setBoardStaysOnTop(bool on) {
    windowSystem().setStaysOnTop(this, on);
    raise();
}

void MainWindow::hideInTray() {
    const QSize size = this->size();
    hide();
    setGeometry(QRect(QPoint(kHiddenBoardPixels, kHiddenBoardPixels), size));
    m_inTray = true;
}

void MainWindow::setCommentToolTip(int row, const QString& tip) {
    // The row's cell and its text show the same appointment.
    for (const int member : {row, row + 3}) {
        if (QLabel* label = m_face->cell(QStringLiteral("lblComment"), member))
            label->setToolTip(tip);
    }
}

QPoint MainWindow::commandMenuAnchor() const {
    const QLabel* control = m_face->commandLabel();
    return control->mapToGlobal(QPoint(0, control->height()));
}

void MainWindow::showCommandMenuOpen(bool open) {
    m_face->commandLabel()->setText(open ? kControlOpen : kControlClosed);
}

QFont MainWindow::boardFont() const {
    return m_face->boardFont();
}

QIcon MainWindow::boardIcon() const {
    return m_icon;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        // Space or Enter presses the title button that has the focus.
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool press = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
        auto* label = qobject_cast<QLabel*>(watched);
        return press && label &&
               pressTitleButton(watched, label->mapToGlobal(QPoint(0, label->height())));
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto* label = qobject_cast<QLabel*>(watched);
    const bool releasedInside = type == QEvent::MouseButtonRelease &&
                                mouse->button() == Qt::LeftButton && label &&
                                label->rect().contains(mouse->position().toPoint());

    // The menu opens where the click was: at the pointer, or on the board
    // when assistive technology pressed the button.
    if (releasedInside && pressTitleButton(watched, mouse->globalPosition().toPoint()))
        return true;
    if (watched == m_face->closeLabel())
        return false;
    if (watched == m_face->titleLabel()) {
        if (type == QEvent::MouseButtonPress)
            emit titlePressed(mouse->button(), mouse->globalPosition().toPoint());
        else if (type == QEvent::MouseButtonRelease)
            emit titleReleased(mouse->button());
        else
            emit pointerMoved(mouse->globalPosition().toPoint());
        return true;
    }
    if (type == QEvent::MouseMove) {
        if (const int index = m_face->commentIndexOf(watched); index >= 0)
            emit commentHovered(index % 3);
    }
    return false;
}

// Runs the command of □, － or × and returns true; false for other labels.
bool MainWindow::pressTitleButton(QObject* button, const QPoint& globalAt) {
    if (button == m_face->closeLabel()) {
        emit exitRequested();
        return true;
    }
    if (button == m_face->commandLabel()) {
        emit commandMenuRequested(globalAt);
        return true;
    }
    if (button == m_face->minimiseLabel()) {
        emit trayRequested();
        return true;
    }
    return false;
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // The menu key has opened the command menu already (the window
    // behaviour's key filter); the event
    // some platforms send after it must not open anything more.
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    // Activated by a click, the window manager or a second start, the board
    // takes the keyboard focus unless one of its buttons holds it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !focusWidget())
        setFocus(Qt::ActiveWindowFocusReason);
    QWidget::changeEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    emit pointerMoved(event->globalPosition().toPoint());
    QWidget::mouseMoveEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    // The board has no task-bar button of its own; the proxy window gives
    // it one when the user wants it.
    keepOutOfTaskBar(this);
    m_face->makeButtonsFocusable();
    QWidget::showEvent(event);
    // The toolkit may replace the native window while it shows it (after a
    // stay-on-top change); the replacement starts without the hint, so it
    // is given again once the show is through.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            keepOutOfTaskBar(this);
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_unloading) {
        event->accept();
        return;
    }
    // A close from the window manager (Alt+F4) is the exit command, which
    // saves first and may refuse.
    event->ignore();
    emit exitRequested();
}

} // namespace tanzo
