#include "WindowBehaviour.h"

#include "BoardFollowsSettings.h"
#include "BoardView.h"
#include "MainWindow.h"

#include "core/AppContext.h"

#include <QKeyEvent>

namespace tanzo {

WindowBehaviour::WindowBehaviour(AppContext& state, BoardView& board, QObject* parent)
    : QObject(parent), m_board(board) {
    m_menus = std::make_unique<BoardMenus>();
    m_presence = std::make_unique<TrayPresence>(state.settings.values(), board, m_menus->tray());
    m_drag = std::make_unique<BoardDrag>(board);
    m_commands = std::make_unique<BoardCommands>(state, board, *m_menus, *m_presence);
    // Whoever changes the settings (the menu here, the options dialog), the
    // board shows them.
    followSettings(state.settings, board, *m_presence, this);
    connect(m_commands.get(), &BoardCommands::commandMenuOpening, m_drag.get(), &BoardDrag::disarm);
}

WindowBehaviour::WindowBehaviour(AppContext& state, MainWindow& board, QObject* parent)
    : WindowBehaviour(state, static_cast<BoardView&>(board), parent) {
    BoardCommands* commands = m_commands.get();
    BoardDrag* drag = m_drag.get();
    connect(&board, &MainWindow::commandMenuRequested, commands, &BoardCommands::openCommandMenu);
    connect(&board, &MainWindow::commentHovered, commands, &BoardCommands::showCommentTip);
    connect(&board, &MainWindow::trayRequested, m_presence.get(), &TrayPresence::hideToTray);
    connect(&board, &MainWindow::fillStarted, m_presence.get(), &TrayPresence::comeForwardForFill);
    connect(&board, &MainWindow::titlePressed, drag, &BoardDrag::start);
    connect(&board, &MainWindow::titleReleased, drag, &BoardDrag::end);
    connect(&board, &MainWindow::pointerMoved, drag, &BoardDrag::follow);
    board.installEventFilter(this);
}

WindowBehaviour::~WindowBehaviour() = default;

bool WindowBehaviour::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == m_board.boardWidget()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return m_commands->runKey(key->key(), key->modifiers());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tanzo
