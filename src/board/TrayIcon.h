#pragma once

#include <QObject>
#include <QSystemTrayIcon>

class QMenu;

namespace tanzo {

// The board's icon in the task tray: a left click or a double click asks for
// the board back, a right click opens the tray menu.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(const QIcon& icon, QMenu* trayMenu, QObject* parent = nullptr);

    static bool isAvailable();

    void show();
    void hide();
    bool isVisible() const;
    QSystemTrayIcon* icon() const { return m_icon; }

signals:
    void restoreRequested();

private:
    void askForRestoreOnClick(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon* m_icon = nullptr;
};

} // namespace tanzo
