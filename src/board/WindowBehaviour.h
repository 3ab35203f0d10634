#pragma once

#include "board/BoardCommands.h"
#include "board/BoardDrag.h"
#include "board/BoardMenus.h"
#include "board/TrayPresence.h"

#include <QObject>

#include <memory>

namespace tanzo {

struct AppContext;
class BoardView;
class MainWindow;

// The board's behaviour as one piece for the shell: it builds the menus,
// the commands (and through them the paging), the drag and the tray
// presence, keeps the board in step with the settings, and hands the board
// window's input and keys to them.
class WindowBehaviour : public QObject {
    Q_OBJECT
public:
    // Input reaches the pieces when the test (or the window's signals)
    // calls them.
    WindowBehaviour(AppContext& state, BoardView& board, QObject* parent = nullptr);
    // The real window: its signals and keys are taken here.
    WindowBehaviour(AppContext& state, MainWindow& board, QObject* parent = nullptr);
    ~WindowBehaviour() override;

    BoardMenus& menus() const { return *m_menus; }
    // Where the board is reachable from when it is off the screen, and when
    // it comes forward.
    TrayPresence& presence() const { return *m_presence; }
    BoardDrag& drag() const { return *m_drag; }
    // The menus' and keys' commands; what they ask of the program
    // (the editor, the options, exit…) is announced by its signals.
    BoardCommands& commands() const { return *m_commands; }
    // The page the board shows; the clock's signals move it too.
    BoardPaging& paging() const { return m_commands->paging(); }

protected:
    // Keys pressed on the board (or passed on by its focused buttons).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BoardView& m_board;
    std::unique_ptr<BoardMenus> m_menus;
    std::unique_ptr<TrayPresence> m_presence;
    std::unique_ptr<BoardDrag> m_drag;
    std::unique_ptr<BoardCommands> m_commands;
};

} // namespace tanzo
