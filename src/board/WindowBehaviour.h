#pragma once

#include "board/BoardBehaviour.h"
#include "board/BoardCommands.h"
#include "board/BoardDrag.h"
#include "board/BoardMenus.h"
#include "board/BoardWindowApi.h"
#include "board/TrayPresence.h"

#include <QObject>

#include <functional>
#include <memory>

namespace tanzo {

struct AppContext;
class MainWindow;
class ShadowWindow;
class TrayIcon;

// The board's behaviour as one piece for the shell: it builds the menus, the
// commands, the drag and the tray presence, and hands the board window's
// input to them.
class WindowBehaviour : public QObject, public BoardBehaviour {
    Q_OBJECT
public:
    WindowBehaviour(AppContext& state, BoardWindowApi& board, QObject* parent = nullptr);
    WindowBehaviour(AppContext& state, MainWindow& board, QObject* parent = nullptr);
    ~WindowBehaviour() override;

    // BoardBehaviour
    void openCommandMenu(const QPoint& globalAt) override { m_commands->openCommandMenu(globalAt); }
    void startDrag(Qt::MouseButton button, const QPoint& globalCursor) override {
        m_drag->start(button, globalCursor);
    }
    void endDrag(Qt::MouseButton button) override { m_drag->end(button); }
    void followPointer(const QPoint& globalCursor) override { m_drag->follow(globalCursor); }
    void hideToTray() override { m_presence->hideToTray(); }
    void showCommentTip(int index) override { m_commands->showCommentTip(index); }
    bool runKey(int qtKey, Qt::KeyboardModifiers modifiers) override {
        return m_commands->runKey(qtKey, modifiers);
    }
    void restoreFromTray() override { m_presence->restoreFromTray(); }
    bool isInTray() const override { return m_presence->isInTray(); }
    void applyWindowOptions() override { m_presence->applyWindowOptions(); }

    // Out of the tray or out of the minimised state, in front and active.
    void bringToFront() { m_presence->bringToFront(); }
    void runView(ViewCommand command) { m_commands->runView(command); }
    // Start-up shows the task-bar proxy once the board is placed.
    void syncTaskBarProxy() { m_presence->syncTaskBarProxy(); }
    void exitRefused() { m_presence->exitRefused(); }
    void withdraw() { m_presence->withdraw(); }

    BoardMenus& menus() const { return *m_menus; }
    TrayPresence& presence() const { return *m_presence; }
    // The menus' and keys' commands; what they ask of the program
    // (the editor, the options, exit…) is announced by its signals.
    BoardCommands& commands() const { return *m_commands; }
    // The page the board shows; the clock's signals move it too.
    BoardPaging& paging() const { return m_commands->paging(); }
    ShadowWindow* taskBarProxy() const { return m_presence->taskBarProxy(); }
    ShadowWindow* trayStandIn() const { return m_presence->trayStandIn(); }
    TrayIcon* trayIcon() const { return m_presence->trayIcon(); }

    void setOpenNoticeProbe(std::function<int()> probe) {
        m_presence->setOpenNoticeProbe(std::move(probe));
    }
    void setTrayAvailableProbe(std::function<bool()> probe) {
        m_presence->setTrayAvailableProbe(std::move(probe));
    }

signals:
    // The board was dragged to this left/top (pixels).
    void dragged(int left, int top);

private:
    void build(AppContext& state);

    std::unique_ptr<BoardWindowApi> m_ownApi; // set when built on the real window
    BoardWindowApi& m_board;
    std::unique_ptr<BoardMenus> m_menus;
    std::unique_ptr<TrayPresence> m_presence;
    std::unique_ptr<BoardDrag> m_drag;
    std::unique_ptr<BoardCommands> m_commands;
};

} // namespace tanzo
