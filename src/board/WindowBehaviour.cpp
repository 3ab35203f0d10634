#include "WindowBehaviour.h"

#include "core/AppContext.h"
#include "core/BoardFollowsSettings.h"
#include "core/BoardHost.h"

namespace tanzo {

WindowBehaviour::WindowBehaviour(AppContext& state, BoardWindowApi& board, QObject* parent)
    : QObject(parent), m_board(board) {
    build(state);
}

WindowBehaviour::WindowBehaviour(AppContext& state, MainWindow& board, QObject* parent)
    : QObject(parent), m_ownApi(std::make_unique<MainWindowApi>(board)), m_board(*m_ownApi) {
    build(state);
}

WindowBehaviour::~WindowBehaviour() = default;

void WindowBehaviour::build(AppContext& state) {
    m_menus = std::make_unique<BoardMenus>();
    m_presence =
        std::make_unique<TrayPresence>(state.settings.values(), m_board.host(), m_menus->tray());
    m_drag = std::make_unique<BoardDrag>(m_board.host(), *m_presence);
    m_commands = std::make_unique<BoardCommands>(state, m_board, *m_menus, *m_presence);
    // Whoever changes the settings (the menu here, the options dialog), the
    // board shows them.
    followSettings(state.settings, m_board.host(), this);

    connect(m_commands.get(), &BoardCommands::commandMenuOpening, m_drag.get(), &BoardDrag::disarm);
    connect(m_drag.get(), &BoardDrag::dragged, this, &WindowBehaviour::dragged);
}

} // namespace tanzo
