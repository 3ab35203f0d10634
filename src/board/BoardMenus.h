#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace tanzo {

struct PopupMenuState;

// The items of the command menu, opened by the board's command label.
struct CommandMenuItems {
    QAction* schedule = nullptr;
    QAction* sync = nullptr; // 予定を更新: the subscribed calendars now
    QAction* view = nullptr; // the paging submenu
    QAction* backPage = nullptr;
    QAction* back = nullptr;
    QAction* refresh = nullptr;
    QAction* next = nullptr;
    QAction* nextPage = nullptr;
    QAction* sizeBig = nullptr;
    QAction* sizeMiddle = nullptr;
    QAction* sizeSmall = nullptr;
    QAction* options = nullptr;
    QAction* showInTaskBar = nullptr;
    QAction* staysOnTop = nullptr;
    QAction* forwardOnNewContent = nullptr;
    QAction* savePosition = nullptr;
    QAction* about = nullptr;
    QAction* help = nullptr;
    QAction* exit = nullptr;
};

// The items of the tray icon's menu.
struct TrayMenuItems {
    QAction* open = nullptr;
    QAction* schedule = nullptr;
    QAction* sync = nullptr;
    QAction* options = nullptr;
    QAction* about = nullptr;
    QAction* help = nullptr;
    QAction* exit = nullptr;
};

// The board's two menus: mnuPopup, opened by the command label, and
// mnuTray, opened from the tray icon. Each item is a typed member to connect
// once; its objectName is the item's design name, by which tests find it.
// The shortcut labels are shown only; the board's key handler takes the keys.
class BoardMenus : public QObject {
    Q_OBJECT
public:
    explicit BoardMenus(QObject* parent = nullptr);
    ~BoardMenus() override;

    QMenu* popup() const { return m_popup; }
    QMenu* tray() const { return m_tray; }
    const CommandMenuItems& commandItems() const { return m_command; }
    const TrayMenuItems& trayItems() const { return m_trayItems; }

    // The item of either menu with that objectName (e.g. "mnuPop_View_Next",
    // "mnuTray_Exit"); null for an unknown name.
    QAction* action(const QString& name) const;

    // Enables and checks the board menu's items.
    void apply(const PopupMenuState& state);

private:
    QMenu* m_popup = nullptr;
    QMenu* m_tray = nullptr;
    CommandMenuItems m_command;
    TrayMenuItems m_trayItems;
};

} // namespace tanzo
