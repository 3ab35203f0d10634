#include "TrayIcon.h"

#include "core/AppContext.h"

#include <QMenu>

namespace tanzo {

TrayIcon::TrayIcon(const QIcon& icon, QMenu* trayMenu, QObject* parent)
    : QObject(parent), m_icon(new QSystemTrayIcon(icon, this)) {
    m_icon->setObjectName(QStringLiteral("TrayIcon"));
    m_icon->setToolTip(kAppTitle);
    // The toolkit opens the context menu itself on a right click (and the
    // tray host does so for a status-notifier icon), so the Context
    // activation below must not open it a second time.
    m_icon->setContextMenu(trayMenu);
    connect(m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::askForRestoreOnClick);
}

bool TrayIcon::isAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show() {
    m_icon->show();
}
void TrayIcon::hide() {
    m_icon->hide();
}
bool TrayIcon::isVisible() const {
    return m_icon->isVisible();
}

void TrayIcon::askForRestoreOnClick(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        emit restoreRequested();
        break;
    default:
        break;
    }
}

} // namespace tanzo
