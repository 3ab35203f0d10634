#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace tanzo {

struct PopupMenuState;

// The board's two menus: mnuPopup, opened by the command label, and
// mnuTray, opened from the tray icon. Every item is a QAction whose
// objectName is the item's name, so callers and tests find them by name.
// The shortcut labels are shown only; the board's key handler takes the keys.
class BoardMenus : public QObject {
    Q_OBJECT
public:
    explicit BoardMenus(QObject* parent = nullptr);
    ~BoardMenus() override;

    QMenu* popup() const { return m_popup; }
    QMenu* tray() const { return m_tray; }

    // The item of either menu with that name (e.g. "mnuPop_View_Next",
    // "mnuTray_Exit"); null for an unknown name.
    QAction* action(const QString& name) const;

    // Enables and checks the board menu's items.
    void apply(const PopupMenuState& state);

private:
    QMenu* m_popup = nullptr;
    QMenu* m_tray = nullptr;
};

} // namespace tanzo
