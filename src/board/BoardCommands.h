#pragma once

#include "board/BoardPaging.h"
#include "board/Paging.h"

#include <QObject>
#include <QPoint>

namespace tanzo {

struct AppContext;
class BoardMenus;
class BoardView;
class TrayPresence;

// The board's commands: its two menus, paging through the appointments, the
// keys, the size and the window options, and the comment tool tip. The page
// the board shows is its paging's (BoardPaging).
class BoardCommands : public QObject {
    Q_OBJECT
public:
    BoardCommands(AppContext& state, BoardView& board, BoardMenus& menus, TrayPresence& presence,
                  QObject* parent = nullptr);

    // A key pressed on the board; returns true when the key was taken.
    bool runKey(int qtKey, Qt::KeyboardModifiers modifiers);

    BoardPaging& paging() { return m_paging; }

public slots:
    // Opens the command menu with its top left at `globalAt` (where the
    // command label was clicked); a chosen command runs before this returns.
    void openCommandMenu(const QPoint& globalAt);
    // Opens it below the command label (□), as Shift+F10 and the menu key do.
    void openCommandMenuAtControl();
    // One of the five view commands.
    void runView(ViewCommand command);
    // Sets the tool tip of row `row`'s (0-2) comment to the whole comment of
    // the appointment the row shows.
    void showCommentTip(int row);

signals:
    // The command menu is about to open.
    void commandMenuOpening();
    void scheduleRequested();
    // 予定を更新: the subscribed calendars are to be synced now.
    void syncRequested();
    void optionRequested();
    void aboutRequested();
    void helpRequested();
    void exitRequested();

private:
    void connectCommandMenu();
    void connectTrayMenu();
    void setStaysOnTop(bool on);
    void setShowInTaskBar(bool on);
    void setWindowSize(int size);

    AppContext& m_state;
    BoardView& m_board;
    BoardMenus& m_menus;
    TrayPresence& m_presence;
    BoardPaging m_paging;
};

} // namespace tanzo
