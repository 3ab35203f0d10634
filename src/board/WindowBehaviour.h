#pragma once

#include "board/BoardBehaviour.h"
#include "board/MainWindow.h"
#include "board/Paging.h"
#include "board/ShadowWindow.h"
#include "board/TitleDrag.h"

#include <QDate>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

#include <QLabel>

class QWidget;

namespace tanzo {

struct AppContext;
class BoardHost;
class BoardMenus;
class TrayIcon;

// What the window behaviour needs of the board window besides BoardHost:
// the asynchronous fill, the next-entry search and the labels.
class BoardWindowApi {
public:
    virtual ~BoardWindowApi() = default;
    virtual BoardHost& host() = 0;
    // Redraws the rows from `firstIndex` on; `done` runs once they are drawn.
    virtual void fillBoard(int firstIndex, QDate from, QDate to, bool force,
                           std::function<void()> done) = 0;
    virtual void locateNextEntry() = 0;
    // The page the rows show, and whether they are being redrawn.
    virtual BoardPage& page() = 0;
    virtual bool fillRunning() const = 0;
    // The label named e.g. "lblStatus_3" or "lblCntl"; null if none.
    virtual QLabel* label(const QString& objectName) const = 0;
};

// The real board window behind that interface.
// Kept inline so that only the program that builds one links the window.
class MainWindowApi : public BoardWindowApi {
public:
    explicit MainWindowApi(MainWindow& window) : m_window(window) {}
    BoardHost& host() override { return m_window; }
    void fillBoard(int firstIndex, QDate from, QDate to, bool force,
                   std::function<void()> done) override {
        m_window.fillBoard(firstIndex, from, to, force, std::move(done));
    }
    void locateNextEntry() override { m_window.locateNextEntry(); }
    BoardPage& page() override { return m_window.page(); }
    bool fillRunning() const override { return m_window.fillRunning(); }
    QLabel* label(const QString& objectName) const override {
        return m_window.findChild<QLabel*>(objectName);
    }

private:
    MainWindow& m_window;
};

// The board's window behaviour: the command menu and paging, the keys, the
// title drag, the check-mark options, the task-bar proxy and the tray.
class WindowBehaviour : public QObject, public BoardBehaviour {
    Q_OBJECT
public:
    WindowBehaviour(AppContext& state, BoardWindowApi& board, QObject* parent = nullptr);
    WindowBehaviour(AppContext& state, MainWindow& board, QObject* parent = nullptr);
    ~WindowBehaviour() override;

    // BoardBehaviour
    void controlClicked() override;
    void titleMouseDown(Qt::MouseButton button, const QPoint& globalCursor) override;
    void titleMouseUp(Qt::MouseButton button) override;
    void formMouseMove(const QPoint& globalCursor) override;
    void miniClicked() override;
    void commentMouseMove(int index) override;
    bool keyDown(int qtKey, Qt::KeyboardModifiers modifiers) override;
    void restoreFromTray() override;
    bool isInTray() const override { return m_trayMode; }
    void applyWindowOptions() override;

    void hideToTray();
    // Out of the tray or out of the minimised state, in front and active:
    // the board was asked for by starting the program again.
    void bringToFront();
    // The five view commands.
    void runView(ViewCommand command);

    // Creates or drops the task-bar proxy so that it exists exactly while
    // ShowTask is on and the board is not in the tray (start-up calls this
    // once the board is placed).
    void syncShadow();
    void showTaskBarProxy() { syncShadow(); }

    BoardMenus& menus() const { return *m_menus; }
    ShadowWindow* shadow() const { return m_shadow; }
    // The minimised window that stands in for the tray icon where the
    // desktop has no tray; null otherwise.
    ShadowWindow* trayStandIn() const { return m_trayStandIn; }
    TrayIcon* trayIcon() const { return m_tray.get(); }

    // The exit could not write the appointments and the program goes on:
    // a board in the tray gets its icon back.
    void exitRefused();
    // The program is ending: the tray icon and the task-bar proxy go away.
    void withdraw();

    // How many notice windows are open; they stay above a board that comes
    // back from the tray.
    void setOpenNoticeProbe(std::function<int()> probe) { m_openNotices = std::move(probe); }

    // Whether a system tray can take the icon; tests replace the probe.
    void setTrayAvailableProbe(std::function<bool()> probe);

signals:
    void scheduleRequested();
    // 予定を更新: the subscribed calendars are to be synced now.
    void syncRequested();
    void optionRequested();
    void aboutRequested();
    void helpRequested();
    void exitRequested();
    // The board was dragged to this left/top (pixels).
    void dragged(int left, int top);

private:
    void connectMenus();
    PageView pageView();
    void refresh();
    void bringBoardForward();
    void setTopMost(bool on);
    void setShowTask(bool on);
    void setWindowSize(int size);
    void trayExit();
    void createShadow();
    void dropShadow();
    void showTrayIcon();
    void dropTrayIcon();
    QWidget* boardWidget() const;

    AppContext& m_state;
    std::unique_ptr<BoardWindowApi> m_ownApi; // set when built on the real window
    BoardWindowApi& m_board;
    std::unique_ptr<BoardMenus> m_menus;
    std::unique_ptr<TrayIcon> m_tray;
    QPointer<ShadowWindow> m_shadow;
    QPointer<ShadowWindow> m_trayStandIn;
    std::function<bool()> m_trayAvailable;
    std::function<int()> m_openNotices;

    // The board is hidden in the task tray.
    bool m_trayMode = false;
    TitleDrag m_drag;
};

} // namespace tanzo
