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

QMenu* addSubmenu(QMenu* menu, const char* name, const QString& caption) {
    auto* sub = new QMenu(caption, menu);
    sub->setObjectName(QString::fromLatin1(name));
    sub->menuAction()->setObjectName(QString::fromLatin1(name));
    menu->addMenu(sub);
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
    addItem(m_popup, "mnuPop_Schedule", QStringLiteral("ｽｹｼﾞｭｰﾙ設定"), QStringLiteral("F2"));
    // Syncs the subscribed calendars now.
    addItem(m_popup, "mnuPop_Sync", QStringLiteral("予定を更新"));
    QMenu* view = addSubmenu(m_popup, "mnuPop_View", QStringLiteral("表示"));
    addItem(view, "mnuPop_View_BackPage", QStringLiteral("前画面へ"), QStringLiteral("Shift+F4"));
    addItem(view, "mnuPop_View_Back", QStringLiteral("前へ"), QStringLiteral("F4"));
    addItem(view, "mnuPop_View_Refresh", QStringLiteral("最新の情報に更新"), QStringLiteral("F5"));
    addItem(view, "mnuPop_View_Next", QStringLiteral("次へ"), QStringLiteral("F6"));
    addItem(view, "mnuPop_View_NextPage", QStringLiteral("次画面へ"), QStringLiteral("Shift+F6"));
    QMenu* size = addSubmenu(m_popup, "mnuPop_Size", QStringLiteral("ｻｲｽﾞ"));
    addItem(size, "mnuPop_Size_Big", QStringLiteral("大"), {}, true);
    addItem(size, "mnuPop_Size_Middle", QStringLiteral("中"), {}, true);
    addItem(size, "mnuPop_Size_Small", QStringLiteral("小"), {}, true);
    addItem(m_popup, "mnuPop_Option", QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    addSeparator(m_popup, "mnuPop_Bar1");
    addItem(m_popup, "mnuPop_ShowTask", QStringLiteral("ﾀｽｸﾊﾞｰに表示"), {}, true);
    addItem(m_popup, "mnuPop_Topmost", QStringLiteral("常に手前に表示"), {}, true);
    addItem(m_popup, "mnuPop_ActDisp", QStringLiteral("内容更新時は前面表示"), {}, true);
    addItem(m_popup, "mnuPop_SavePos", QStringLiteral("終了時の位置を保存"), {}, true);
    addSeparator(m_popup, "mnuPop_Bar2");
    addItem(m_popup, "mnuPop_About", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"));
    addItem(m_popup, "mnuPop_Help", QStringLiteral("ﾍﾙﾌﾟ"));
    addSeparator(m_popup, "mnuPop_Bar3");
    addItem(m_popup, "mnuPop_Exit", QStringLiteral("ｽｹｼﾞｭｰﾙヨルカの終了(&X)"));

    m_tray = new QMenu(QStringLiteral("mnuTray"));
    m_tray->setObjectName(QStringLiteral("mnuTray"));
    addItem(m_tray, "mnuTray_Open", QStringLiteral("ヨルカを表示"));
    addItem(m_tray, "mnuTray_Schedule", QStringLiteral("ｽｹｼﾞｭｰﾙ設定"));
    addItem(m_tray, "mnuTray_Sync", QStringLiteral("予定を更新"));
    addItem(m_tray, "mnuTray_Option", QStringLiteral("ｵﾌﾟｼｮﾝ"));
    addSeparator(m_tray, "mnuTray_Bar1");
    addItem(m_tray, "mnuTray_About", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    addItem(m_tray, "mnuTray_Help", QStringLiteral("ﾍﾙﾌﾟ"));
    addSeparator(m_tray, "mnuTray_Bar2");
    addItem(m_tray, "mnuTray_Exit", QStringLiteral("終了"));
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
    const auto set = [this](const char* name, bool enabled) {
        action(QString::fromLatin1(name))->setEnabled(enabled);
    };
    const auto check = [this](const char* name, bool checked) {
        action(QString::fromLatin1(name))->setChecked(checked);
    };
    set("mnuPop_View", s.viewEnabled);
    set("mnuPop_View_BackPage", s.backPageEnabled);
    set("mnuPop_View_Back", s.backEnabled);
    set("mnuPop_View_Refresh", s.refreshEnabled);
    set("mnuPop_View_Next", s.nextEnabled);
    set("mnuPop_View_NextPage", s.nextPageEnabled);
    check("mnuPop_Size_Big", s.checkedSize == 0);
    check("mnuPop_Size_Middle", s.checkedSize == 1);
    check("mnuPop_Size_Small", s.checkedSize == 2);
    set("mnuPop_Size_Big", s.bigEnabled);
    set("mnuPop_Size_Middle", s.middleEnabled);
    set("mnuPop_Size_Small", s.smallEnabled);
    check("mnuPop_ShowTask", s.showTaskChecked);
    check("mnuPop_Topmost", s.topMostChecked);
    check("mnuPop_SavePos", s.savePosChecked);
    check("mnuPop_ActDisp", s.actDispChecked);
}

} // namespace tanzo
