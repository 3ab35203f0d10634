#include "BoardCommands.h"

#include "BoardContent.h"
#include "BoardMenus.h"
#include "BoardView.h"
#include "TrayPresence.h"

#include "core/AppContext.h"

#include "platform/Twips.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace tanzo {

BoardCommands::BoardCommands(AppContext& state, BoardView& board, BoardMenus& menus,
                             TrayPresence& presence, QObject* parent)
    : QObject(parent), m_state(state), m_board(board), m_menus(menus), m_presence(presence),
      m_paging(state.clock, state.schedule, board) {
    connectCommandMenu();
    connectTrayMenu();
}

void BoardCommands::connectCommandMenu() {
    const CommandMenuItems& c = m_menus.commandItems();
    connect(c.schedule, &QAction::triggered, this, &BoardCommands::scheduleRequested);
    connect(c.sync, &QAction::triggered, this, &BoardCommands::syncRequested);
    connect(c.backPage, &QAction::triggered, this, [this] { runView(ViewCommand::BackPage); });
    connect(c.back, &QAction::triggered, this, [this] { runView(ViewCommand::Back); });
    connect(c.refresh, &QAction::triggered, this, [this] { runView(ViewCommand::Refresh); });
    connect(c.next, &QAction::triggered, this, [this] { runView(ViewCommand::Next); });
    connect(c.nextPage, &QAction::triggered, this, [this] { runView(ViewCommand::NextPage); });
    connect(c.sizeBig, &QAction::triggered, this, [this] { setWindowSize(Big); });
    connect(c.sizeMiddle, &QAction::triggered, this, [this] { setWindowSize(Middle); });
    connect(c.sizeSmall, &QAction::triggered, this, [this] { setWindowSize(Small); });
    connect(c.options, &QAction::triggered, this, &BoardCommands::optionRequested);
    // The check marks were set from the settings when the menu opened, so
    // the toggled mark is the new value.
    connect(c.showInTaskBar, &QAction::triggered, this, &BoardCommands::setShowInTaskBar);
    connect(c.staysOnTop, &QAction::triggered, this, &BoardCommands::setStaysOnTop);
    connect(c.forwardOnNewContent, &QAction::triggered, this, [this](bool checked) {
        m_state.settings.update([checked](Settings& s) { s.activeDisplay = checked; });
    });
    connect(c.savePosition, &QAction::triggered, this, [this](bool checked) {
        m_state.settings.update([checked](Settings& s) { s.saveLastPosition = checked; });
    });
    connect(c.about, &QAction::triggered, this, &BoardCommands::aboutRequested);
    connect(c.help, &QAction::triggered, this, &BoardCommands::helpRequested);
    connect(c.exit, &QAction::triggered, this, &BoardCommands::exitRequested);
}

void BoardCommands::connectTrayMenu() {
    const TrayMenuItems& t = m_menus.trayItems();
    connect(t.open, &QAction::triggered, &m_presence, &TrayPresence::restoreFromTray);
    connect(t.schedule, &QAction::triggered, this, &BoardCommands::scheduleRequested);
    connect(t.sync, &QAction::triggered, this, &BoardCommands::syncRequested);
    connect(t.options, &QAction::triggered, this, &BoardCommands::optionRequested);
    connect(t.about, &QAction::triggered, this, &BoardCommands::aboutRequested);
    connect(t.help, &QAction::triggered, this, &BoardCommands::helpRequested);
    connect(t.exit, &QAction::triggered, this, [this] {
        m_presence.removeTrayIcon();
        emit exitRequested();
    });
}

void BoardCommands::openCommandMenuAtControl() {
    openCommandMenu(m_board.commandMenuAnchor());
}

void BoardCommands::openCommandMenu(const QPoint& globalAt) {
    if (!m_state.schedule.isLoaded())
        return;
    emit commandMenuOpening();
    m_board.showCommandMenuOpen(true);
    m_menus.apply(
        popupMenuState(m_paging.view(), m_state.settings.values(), Twips::screenSizeTwips()));

    // A chosen command runs inside exec; the exit command may take the board
    // (and this object, which goes before the board) with it.
    QPointer<BoardCommands> alive(this);
    m_menus.popup()->exec(globalAt);
    if (alive)
        m_board.showCommandMenuOpen(false);
}

void BoardCommands::runView(ViewCommand command) {
    if (!m_paging.run(command))
        m_state.prompts.beep();
}

bool BoardCommands::runKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    // The keyboard's way to the menu, and through it to every command.
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if ((qtKey == Qt::Key_Menu && held == Qt::NoModifier) ||
        (qtKey == Qt::Key_F10 && held == Qt::ShiftModifier)) {
        openCommandMenuAtControl();
        return true;
    }
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
        m_state.prompts.beep();
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

void BoardCommands::showCommentTip(int row) {
    if (row < 0 || row > 2)
        return;
    // Rows that are being redrawn show no appointment yet.
    QString tip;
    if (!m_board.fillRunning()) {
        const BoardPage& page = m_paging.page();
        const ReadOnlyEntry* subscribed = m_state.schedule.readOnlyAt(pageRowIndex(page, row));
        tip = commentToolTip(m_state.schedule.view(), page, row,
                             subscribed ? subscribed->description : QString());
    }
    m_board.setCommentToolTip(row, tip);
}

void BoardCommands::setStaysOnTop(bool on) {
    // Taken off the top or put on it, the board comes forward at once; the
    // window options that follow the setting then find it done.
    m_board.setBoardStaysOnTop(on);
    m_state.settings.update([on](Settings& s) { s.topMost = on; });
    m_board.placeBoardAt(m_board.boardRect(), Focus::Take);
}

void BoardCommands::setShowInTaskBar(bool on) {
    m_state.settings.update([on](Settings& s) { s.showTask = on; });
    m_presence.syncTaskBarProxy();
}

void BoardCommands::setWindowSize(int size) {
    // The board follows the settings.
    m_state.settings.update([size](Settings& s) { s.windowSize = static_cast<int16_t>(size); });
}

} // namespace tanzo
