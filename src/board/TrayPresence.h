#pragma once

#include "board/ShadowWindow.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QMenu;

namespace tanzo {

class BoardView;
class TrayIcon;
struct Settings;

// Where the board is reachable from when it is not on the screen, and when
// it comes forward: the tray icon (or, on a desktop without a tray, a
// minimised stand-in window), the task-bar proxy while ShowTask is on, when
// the board goes into the tray and comes back, and whether it comes forward
// for new content or for a second start.
class TrayPresence : public QObject {
    Q_OBJECT
public:
    TrayPresence(const Settings& settings, BoardView& board, QMenu* trayMenu,
                 QObject* parent = nullptr);
    ~TrayPresence() override;

    bool isInTray() const;

    // Creates or drops the task-bar proxy so that it exists exactly while
    // ShowTask is on and the board is not in the tray (start-up calls this
    // once the board is placed).
    void syncTaskBarProxy();
    // Brings the board's stay-on-top state and its task-bar proxy in line
    // with the settings (after the options dialog applied them).
    void applyWindowOptions();

    // The exit could not write the appointments and the program goes on:
    // a board in the tray gets its icon back.
    void exitRefused();
    // The program is ending: the tray icon and the task-bar proxy go away.
    void withdraw();
    // The tray menu's exit: the icon goes before the program asks to end.
    void removeTrayIcon();

    ShadowWindow* taskBarProxy() const { return m_proxy; }
    // The minimised window that stands in for the tray icon where the
    // desktop has no tray; null otherwise.
    ShadowWindow* trayStandIn() const { return m_trayStandIn; }
    TrayIcon* trayIcon() const { return m_tray.get(); }

    // How many notice windows are open; they stay above a board that comes
    // back from the tray.
    void setOpenNoticeProbe(std::function<int()> probe) { m_openNotices = std::move(probe); }
    // Whether a system tray can take the icon; tests replace the probe.
    void setTrayAvailableProbe(std::function<bool()> probe) { m_trayAvailable = std::move(probe); }
    // True when the schedule editor, the options dialog and the version
    // window are all open; the board then does not come forward for a fill.
    void setAllDialogsOpenProbe(std::function<bool()> probe) {
        m_allDialogsOpen = std::move(probe);
    }

signals:
    // The board came forward for a fill: windows that must stay in view
    // (the notices) come forward again after it.
    void cameForward();

public slots:
    void hideToTray();
    // Brings the board back from the tray to its stored position.
    void restoreFromTray();
    // Out of the tray or out of the minimised state, in front and active:
    // the board was asked for by starting the program again.
    void bringToFront();
    // In front once, taking the keyboard; a board in the tray stays there.
    void bringBoardForward();
    // The rows are being redrawn: with ActiveDisplay on, the board comes
    // forward (out of the tray too) unless it stays on top anyway or every
    // dialog is open over it.
    void comeForwardForFill();

private:
    void createTaskBarProxy();
    void dropTaskBarProxy();
    void showTrayIcon();

    const Settings& m_settings;
    BoardView& m_board;
    QMenu* m_trayMenu;
    std::unique_ptr<TrayIcon> m_tray;
    QPointer<ShadowWindow> m_proxy;
    QPointer<ShadowWindow> m_trayStandIn;
    std::function<bool()> m_trayAvailable;
    std::function<int()> m_openNotices;
    std::function<bool()> m_allDialogsOpen;
};

} // namespace tanzo
