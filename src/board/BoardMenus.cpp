#include "BoardMenus.h"

#include "Paging.h"

#include <QAction>
#include <QMenu>

namespace tanzo {
namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                 const QString& shortcutLabel = {}, bool checkable = false) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcutLabel.isEmpty()) {
        // The menu only shows the key: a widget-wide context keeps the
        // shortcut from firing beside the board's own key handler.
        action->setShortcut(QKeySequence(shortcutLabel));
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setShortcutVisibleInContextMenu(true);
    }
    action->setCheckable(checkable);
    menu->addAction(action);
    return action;
}

QMenu* addSubmenu(QMenu* menu, const char* name, const QString& caption, QAction** item) {
    auto* sub = new QMenu(caption, menu);
    sub->setObjectName(QString::fromLatin1(name));
    sub->menuAction()->setObjectName(QString::fromLatin1(name));
    menu->addMenu(sub);
    *item = sub->menuAction();
    return sub;
}

void addSeparator(QMenu* menu, const char* name) {
    QAction* bar = menu->addSeparator();
    bar->setObjectName(QString::fromLatin1(name));
}

} // namespace

BoardMenus::BoardMenus(QObject* parent) : QObject(parent) {
    m_popup = new QMenu(QStringLiteral("PopUp"));
    m_popup->setObjectName(QStringLiteral("mnuPopup"));
    CommandMenuItems& c = m_command;
    c.schedule =
        addItem(m_popup, "mnuPop_Schedule", QStringLiteral("ｽｹｼﾞｭｰﾙ設定"), QStringLiteral("F2"));
    c.sync = addItem(m_popup, "mnuPop_Sync", QStringLiteral("予定を更新"));
    QMenu* view = addSubmenu(m_popup, "mnuPop_View", QStringLiteral("表示"), &c.view);
    c.backPage = addItem(view, "mnuPop_View_BackPage", QStringLiteral("前画面へ"),
                         QStringLiteral("Shift+F4"));
    c.back = addItem(view, "mnuPop_View_Back", QStringLiteral("前へ"), QStringLiteral("F4"));
    c.refresh = addItem(view, "mnuPop_View_Refresh", QStringLiteral("最新の情報に更新"),
                        QStringLiteral("F5"));
    c.next = addItem(view, "mnuPop_View_Next", QStringLiteral("次へ"), QStringLiteral("F6"));
    c.nextPage = addItem(view, "mnuPop_View_NextPage", QStringLiteral("次画面へ"),
                         QStringLiteral("Shift+F6"));
    QAction* sizeMenu = nullptr;
    QMenu* size = addSubmenu(m_popup, "mnuPop_Size", QStringLiteral("ｻｲｽﾞ"), &sizeMenu);
    c.sizeBig = addItem(size, "mnuPop_Size_Big", QStringLiteral("大"), {}, true);
    c.sizeMiddle = addItem(size, "mnuPop_Size_Middle", QStringLiteral("中"), {}, true);
    c.sizeSmall = addItem(size, "mnuPop_Size_Small", QStringLiteral("小"), {}, true);
    c.options = addItem(m_popup, "mnuPop_Option", QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    addSeparator(m_popup, "mnuPop_Bar1");
    c.showInTaskBar = addItem(m_popup, "mnuPop_ShowTask", QStringLiteral("ﾀｽｸﾊﾞｰに表示"), {}, true);
    c.staysOnTop = addItem(m_popup, "mnuPop_Topmost", QStringLiteral("常に手前に表示"), {}, true);
    c.forwardOnNewContent =
        addItem(m_popup, "mnuPop_ActDisp", QStringLiteral("内容更新時は前面表示"), {}, true);
    c.savePosition =
        addItem(m_popup, "mnuPop_SavePos", QStringLiteral("終了時の位置を保存"), {}, true);
    addSeparator(m_popup, "mnuPop_Bar2");
    c.about = addItem(m_popup, "mnuPop_About", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"));
    c.help = addItem(m_popup, "mnuPop_Help", QStringLiteral("ﾍﾙﾌﾟ"));
    addSeparator(m_popup, "mnuPop_Bar3");
    c.exit = addItem(m_popup, "mnuPop_Exit", QStringLiteral("ｽｹｼﾞｭｰﾙヨルカの終了(&X)"));

    m_tray = new QMenu(QStringLiteral("mnuTray"));
    m_tray->setObjectName(QStringLiteral("mnuTray"));
    TrayMenuItems& t = m_trayItems;
    t.open = addItem(m_tray, "mnuTray_Open", QStringLiteral("ヨルカを表示"));
    t.schedule = addItem(m_tray, "mnuTray_Schedule", QStringLiteral("ｽｹｼﾞｭｰﾙ設定"));
    t.sync = addItem(m_tray, "mnuTray_Sync", QStringLiteral("予定を更新"));
    t.options = addItem(m_tray, "mnuTray_Option", QStringLiteral("ｵﾌﾟｼｮﾝ"));
    addSeparator(m_tray, "mnuTray_Bar1");
    t.about = addItem(m_tray, "mnuTray_About", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    t.help = addItem(m_tray, "mnuTray_Help", QStringLiteral("ﾍﾙﾌﾟ"));
    addSeparator(m_tray, "mnuTray_Bar2");
    t.exit = addItem(m_tray, "mnuTray_Exit", QStringLiteral("終了"));
}

// The menus are top-level widgets without a parent widget, so they are
// released here rather than by the QObject tree.
BoardMenus::~BoardMenus() {
    delete m_popup;
    delete m_tray;
}

QAction* BoardMenus::action(const QString& name) const {
    for (QMenu* menu : {m_popup, m_tray}) {
        if (auto* found = menu->findChild<QAction*>(name))
            return found;
    }
    return nullptr;
}

void BoardMenus::apply(const PopupMenuState& s) {
    const CommandMenuItems& c = m_command;
    c.view->setEnabled(s.viewEnabled);
    c.backPage->setEnabled(s.backPageEnabled);
    c.back->setEnabled(s.backEnabled);
    c.refresh->setEnabled(s.refreshEnabled);
    c.next->setEnabled(s.nextEnabled);
    c.nextPage->setEnabled(s.nextPageEnabled);
    c.sizeBig->setChecked(s.checkedSize == 0);
    c.sizeMiddle->setChecked(s.checkedSize == 1);
    c.sizeSmall->setChecked(s.checkedSize == 2);
    c.sizeBig->setEnabled(s.bigEnabled);
    c.sizeMiddle->setEnabled(s.middleEnabled);
    c.sizeSmall->setEnabled(s.smallEnabled);
    c.showInTaskBar->setChecked(s.showTaskChecked);
    c.staysOnTop->setChecked(s.topMostChecked);
    c.savePosition->setChecked(s.savePosChecked);
    c.forwardOnNewContent->setChecked(s.actDispChecked);
}

} // namespace tanzo
