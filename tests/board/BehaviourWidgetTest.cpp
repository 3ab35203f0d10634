#include "board/BoardContent.h"
#include "board/BoardMenus.h"
#include "board/ShadowWindow.h"
#include "board/TrayIcon.h"
#include "board/WindowBehaviour.h"

#include "BoardTestEntries.h"
#include "core/AppContext.h"
#include "core/BoardHost.h"
#include "platform/WindowSystem.h"
#include "support/ManualClock.h"
#include "support/RecordingPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tanzo {
namespace {

// The store hands out no list for writing: a test changes a comment as the
// file would, through a new list.
void setComment(ScheduleStore& schedule, int index, const QString& comment) {
    DayList list = schedule.entries();
    list[static_cast<size_t>(index)].comment = comment;
    schedule.setEntries(list);
}

const QDate kToday(2027, 3, 15);

// A board window with the labels the behaviour reads and a fill that
// completes when the test says so.
class FakeBoard : public BoardWindowApi, public BoardHost {
public:
    explicit FakeBoard(AppContext& state) : m_state(state) {
        window.setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        window.setGeometry(200, 150, 411, 94);
        for (const char* name : {"lblCntl", "lblTitle", "lblMini"}) {
            auto* l = new QLabel(&window);
            l->setObjectName(QString::fromLatin1(name));
        }
        window.findChild<QLabel*>(QStringLiteral("lblCntl"))->setText(QStringLiteral("□"));
        for (int i = 0; i < 6; ++i) {
            for (const char* column : {"lblStatus", "lblComment"}) {
                auto* l = new QLabel(&window);
                l->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(column)).arg(i));
            }
        }
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::blue);
        icon = QIcon(pixmap);
    }

    struct Fill {
        int first;
        QDate from, to;
        bool force;
    };
    // What was asked of the board window, in order.
    struct Placement {
        std::string what;
        QRect rect;
    };

    // Ends the running fill as the animation would.
    void finishFill() {
        ASSERT_TRUE(filling);
        filling = false;
        if (m_pending)
            std::exchange(m_pending, {})();
    }

    // BoardWindowApi
    BoardHost& host() override { return *this; }
    void fillBoard(int first, QDate from, QDate to, bool force,
                   std::function<void()> done) override {
        fills.push_back({first, from, to, force});
        filling = true;
        m_pending = std::move(done);
    }
    bool fillRunning() const override { return filling; }
    bool closing() const override { return false; }
    QLabel* label(const QString& name) const override { return window.findChild<QLabel*>(name); }

    // BoardHost
    void applyBoardLayout(int size) override {
        layouts.push_back(size);
        layoutInTray.push_back(isInTray());
    }
    QRect boardRect() const override { return window.geometry(); }
    void moveBoardTo(int left, int top) override { window.move(left, top); }
    void placeBoardAt(const QRect& pixels, Focus focus) override {
        placements.push_back({focus == Focus::Take ? "placed" : "placed quietly", pixels});
        windowSystem().placeAt(&window, pixels, focus);
    }
    void raiseBoardOnce(Focus focus) override {
        placements.push_back({focus == Focus::Take ? "raised" : "raised quietly", {}});
        windowSystem().raiseOnce(&window, focus);
    }
    void setBoardStaysOnTop(bool on) override {
        placements.push_back({on ? "on top" : "not on top", {}});
        windowSystem().setStaysOnTop(&window, on);
    }
    bool isInTray() const override { return behaviour && behaviour->isInTray(); }
    void applyWindowOptions() override {}
    QFont boardFont() const override { return window.font(); }
    QIcon boardIcon() const override { return icon; }
    QWidget* boardWidget() override { return &window; }

    QWidget window;
    const BoardBehaviour* behaviour = nullptr;
    QIcon icon;
    std::vector<Fill> fills;
    std::vector<Placement> placements;
    std::vector<int> layouts;
    std::vector<bool> layoutInTray;
    bool filling = false;

private:
    AppContext& m_state;
    std::function<void()> m_pending;
};

DayList appointments(int count) {
    return test::dailyAppointments(kToday, count);
}

class BehaviourTest : public ::testing::Test {
protected:
    BehaviourTest() {
        state.schedule.setEntries(appointments(8));
        // The board shows the list it was given, from today's next entry.
        behaviour.paging().redrawFromStart();
        board.finishFill();
        board.fills.clear();
        behaviour.setTrayAvailableProbe([] { return false; });
        board.behaviour = &behaviour;
        board.window.show();
    }
    QAction* item(const char* name) const {
        return behaviour.menus().action(QString::fromLatin1(name));
    }
    // Starts a title drag and makes one move: false when that move only
    // took the cursor position (the first move after the command menu).
    bool firstDragMoveMovesBoard() {
        const QPoint before = board.window.pos();
        behaviour.startDrag(Qt::LeftButton, QCursor::pos());
        behaviour.followPointer(QCursor::pos() + QPoint(7, 3));
        behaviour.endDrag(Qt::LeftButton);
        const bool moved = board.window.pos() != before;
        board.window.move(before);
        return moved;
    }
    const BoardPage& page() { return behaviour.paging().page(); }
    // Pages down to `firstRow` as the user would, a row at a time, each fill
    // run to its end.
    void pageDownTo(int firstRow) {
        for (int guard = 0; page().firstRow < firstRow && guard < 10; ++guard) {
            behaviour.runView(ViewCommand::Next);
            board.finishFill();
        }
        ASSERT_EQ(page().firstRow, firstRow);
        board.fills.clear();
    }
    QString controlCaption() const { return board.label(QStringLiteral("lblCntl"))->text(); }

    // Opens the board menu; `whileOpen` runs with the menu up, then the menu
    // closes (after `choose`, when given, is triggered).
    void openMenu(std::function<void()> whileOpen, const char* choose = nullptr) {
        QTimer::singleShot(0, [&, whileOpen, choose] {
            QMenu* menu = behaviour.menus().popup();
            EXPECT_TRUE(menu->isVisible());
            whileOpen();
            if (choose)
                item(choose)->trigger();
            menu->close();
        });
        behaviour.openCommandMenu(QCursor::pos());
    }

    test::ManualClock clock{QDateTime(kToday, QTime(9, 0))};
    test::RecordingPrompts prompts;
    AppContext state{clock, QStringLiteral("/tmp/"), prompts};
    FakeBoard board{state};
    WindowBehaviour behaviour{state, board};
};

TEST_F(BehaviourTest, MenuShowsTheStateWhileTheControlReadsOpen) {
    state.settings.update([&](Settings& s) {
        s.topMost = true;
        s.windowSize = Middle;
    });
    bool ran = false;
    openMenu([&] {
        ran = true;
        EXPECT_EQ(controlCaption(), QStringLiteral("■"));
        EXPECT_TRUE(item("mnuPop_View")->isEnabled());
        EXPECT_FALSE(item("mnuPop_View_Back")->isEnabled());
        EXPECT_FALSE(item("mnuPop_View_BackPage")->isEnabled());
        EXPECT_TRUE(item("mnuPop_View_Next")->isEnabled());
        EXPECT_TRUE(item("mnuPop_Topmost")->isChecked());
        EXPECT_FALSE(item("mnuPop_ShowTask")->isChecked());
        EXPECT_TRUE(item("mnuPop_Size_Middle")->isChecked());
        EXPECT_FALSE(item("mnuPop_Size_Small")->isChecked());
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(controlCaption(), QStringLiteral("□"));
    EXPECT_FALSE(firstDragMoveMovesBoard());
}

TEST_F(BehaviourTest, MenuDisablesViewWhileFilling) {
    board.filling = true;
    openMenu([&] { EXPECT_FALSE(item("mnuPop_View")->isEnabled()); });
}

TEST_F(BehaviourTest, ControlDoesNothingWhileLoading) {
    state.schedule.reset();
    behaviour.openCommandMenu(QCursor::pos()); // would block in the menu if it opened
    EXPECT_EQ(controlCaption(), QStringLiteral("□"));
    EXPECT_TRUE(firstDragMoveMovesBoard());
}

// The keyboard's way in: Shift+F10 and the menu key open the menu below □,
// where an item is then chosen by keys.
TEST_F(BehaviourTest, ShiftF10AndTheMenuKeyOpenTheMenuAtTheControl) {
    const QLabel* control = board.label(QStringLiteral("lblCntl"));
    const QPoint below = control->mapToGlobal(QPoint(0, control->height()));
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
        QPoint openedAt;
        QString caption;
        QTimer::singleShot(0, [&] {
            QMenu* menu = behaviour.menus().popup();
            openedAt = menu->pos();
            caption = controlCaption();
            menu->close();
        });
        EXPECT_TRUE(behaviour.runKey(key, modifiers));
        EXPECT_EQ(openedAt, below) << key;
        EXPECT_EQ(caption, QStringLiteral("■"));
    }
    // F10 alone and Ctrl+Shift+F10 are not the menu's.
    EXPECT_FALSE(behaviour.runKey(Qt::Key_F10, Qt::NoModifier));
    EXPECT_FALSE(behaviour.runKey(Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier));
}

TEST_F(BehaviourTest, ChosenCommandRunsBeforeTheMenuReturns) {
    pageDownTo(3);
    openMenu([] {}, "mnuPop_View_Next");
    ASSERT_EQ(board.fills.size(), 1u);
    EXPECT_EQ(board.fills[0].first, 4);
}

TEST_F(BehaviourTest, MenusCarryTheirCaptionsAndKeyLabels) {
    EXPECT_EQ(item("mnuPop_View_BackPage")->text(), QStringLiteral("前画面へ"));
    EXPECT_EQ(item("mnuPop_View_BackPage")->shortcut().toString(), QStringLiteral("Shift+F4"));
    EXPECT_EQ(item("mnuPop_Schedule")->shortcut().toString(), QStringLiteral("F2"));
    EXPECT_EQ(item("mnuPop_Exit")->text(), QStringLiteral("ｽｹｼﾞｭｰﾙヨルカの終了(&X)"));
    EXPECT_EQ(item("mnuTray_Exit")->text(), QStringLiteral("終了"));
    EXPECT_TRUE(item("mnuPop_Topmost")->isCheckable());
    const QStringList trayOrder = [&] {
        QStringList names;
        for (QAction* a : behaviour.menus().tray()->actions())
            names << a->objectName();
        return names;
    }();
    EXPECT_EQ(trayOrder, (QStringList{"mnuTray_Open", "mnuTray_Schedule", "mnuTray_Sync",
                                      "mnuTray_Option", "mnuTray_Bar1", "mnuTray_About",
                                      "mnuTray_Help", "mnuTray_Bar2", "mnuTray_Exit"}));
}

TEST_F(BehaviourTest, PagingStoresTheIndexOnlyWhenTheFillCompletes) {
    struct Step {
        int key;
        Qt::KeyboardModifiers modifiers;
        int expectedFirst;
    };
    const Step steps[] = {
        {Qt::Key_F6, Qt::NoModifier, 1},    {Qt::Key_F6, Qt::ShiftModifier, 4},
        {Qt::Key_F6, Qt::ShiftModifier, 7}, {Qt::Key_F4, Qt::NoModifier, 6},
        {Qt::Key_F4, Qt::ShiftModifier, 3}, {Qt::Key_F4, Qt::ShiftModifier, 0},
    };
    for (const Step& s : steps) {
        const int before = page().firstRow;
        EXPECT_TRUE(behaviour.runKey(s.key, s.modifiers));
        ASSERT_FALSE(board.fills.empty());
        EXPECT_EQ(board.fills.back().first, s.expectedFirst);
        EXPECT_EQ(board.fills.back().from, kToday.addDays(-30));
        EXPECT_EQ(board.fills.back().to, kToday.addDays(30));
        EXPECT_FALSE(board.fills.back().force);
        EXPECT_EQ(page().firstRow, before); // not yet: the rows still animate
        board.finishFill();
        EXPECT_EQ(page().firstRow, s.expectedFirst);
    }
    EXPECT_EQ(prompts.beeps, 0);
}

TEST_F(BehaviourTest, RefusedMovesBeepAndDoNotFill) {
    behaviour.runKey(Qt::Key_F4, Qt::NoModifier);
    behaviour.runKey(Qt::Key_F4, Qt::ShiftModifier);
    EXPECT_TRUE(board.fills.empty());
    pageDownTo(7);
    behaviour.runKey(Qt::Key_F6, Qt::NoModifier);
    EXPECT_EQ(prompts.beeps, 3);
    EXPECT_TRUE(board.fills.empty());
}

TEST_F(BehaviourTest, KeysDuringAFill) {
    pageDownTo(2);
    behaviour.runKey(Qt::Key_F6, Qt::NoModifier);
    ASSERT_TRUE(board.filling);
    QSignalSpy schedule(&behaviour.commands(), &BoardCommands::scheduleRequested);
    behaviour.runKey(Qt::Key_F6, Qt::NoModifier);
    EXPECT_EQ(prompts.beeps, 1);
    behaviour.runKey(Qt::Key_F2, Qt::NoModifier);
    EXPECT_EQ(schedule.count(), 1);
    EXPECT_EQ(board.fills.size(), 1u);
}

TEST_F(BehaviourTest, RefreshGoesBackToTheNextEntry) {
    pageDownTo(6);
    // Two days on, today's next appointment is the third.
    const QDate today = kToday.addDays(2);
    clock.set(today, QTime(9, 0));
    behaviour.runKey(Qt::Key_F5, Qt::NoModifier);
    EXPECT_EQ(page().firstRow, 2);
    EXPECT_EQ(page().nextEntry, 2);
    ASSERT_EQ(board.fills.size(), 1u);
    EXPECT_EQ(board.fills[0].first, 2);
    EXPECT_EQ(board.fills[0].from, today);
    EXPECT_EQ(board.fills[0].to, today);
    EXPECT_TRUE(board.fills[0].force);
}

TEST_F(BehaviourTest, MinuteTurnMovesThePageOnlyOnceTheNextEntryStarted) {
    // A subscribed appointment earlier today sets the rows' indices apart
    // from those of the user's own entries.
    state.schedule.setReadOnlyEntries(
        {{test::entryAt(kToday, 8, 0), QStringLiteral("cal"), QStringLiteral("k")}});
    behaviour.paging().redrawFromStart();
    board.finishFill();
    board.fills.clear();
    ASSERT_EQ(page().nextEntry, 1);

    clock.set(kToday, QTime(9, 1));
    behaviour.paging().followClock();
    EXPECT_TRUE(board.fills.empty());

    clock.set(kToday, QTime(10, 1));
    behaviour.paging().followClock();
    ASSERT_EQ(board.fills.size(), 1u);
    EXPECT_FALSE(board.fills[0].force);
    EXPECT_EQ(page().nextEntry, -1);
}

TEST_F(BehaviourTest, AltF4AndTheExitItemAskToExit) {
    QSignalSpy exit(&behaviour.commands(), &BoardCommands::exitRequested);
    EXPECT_TRUE(behaviour.runKey(Qt::Key_F4, Qt::AltModifier));
    item("mnuPop_Exit")->trigger();
    EXPECT_EQ(exit.count(), 2);
    EXPECT_FALSE(behaviour.runKey(Qt::Key_F4, Qt::ControlModifier));
}

TEST_F(BehaviourTest, CommentToolTipShowsTheWholeComment) {
    const QString longComment =
        QStringLiteral("本日の会議は第二会議室に変更になりました。資料を持参のこと");
    setComment(state.schedule, 4, QStringLiteral("  ") + longComment + QStringLiteral(" "));
    pageDownTo(3);
    board.label("lblStatus_4")->setText(QStringLiteral("普通"));
    board.label("lblComment_4")->setText(QStringLiteral("本日の会議は第二会"));
    // Row 1 frame (element 1) and text (element 4) show the same entry.
    behaviour.showCommentTip(1);
    behaviour.showCommentTip(4);
    EXPECT_EQ(board.label("lblComment_1")->toolTip(), longComment);
    EXPECT_EQ(board.label("lblComment_4")->toolTip(), longComment);

    // Placeholder row, empty status, blank comment and index past the list
    // all clear the tip.
    board.label("lblComment_4")->setText(QStringLiteral("－－－－－－－－－－－－"));
    behaviour.showCommentTip(4);
    EXPECT_EQ(board.label("lblComment_4")->toolTip(), QString());

    board.label("lblComment_4")->setText(QStringLiteral("x"));
    board.label("lblStatus_4")->setText(QString());
    behaviour.showCommentTip(1);
    EXPECT_EQ(board.label("lblComment_1")->toolTip(), QString());

    board.label("lblStatus_4")->setText(QStringLiteral("普通"));
    setComment(state.schedule, 4, QStringLiteral("　 "));
    behaviour.showCommentTip(4);
    EXPECT_EQ(board.label("lblComment_4")->toolTip(), QString());

    pageDownTo(7); // row 1 would be index 8, past the list
    behaviour.showCommentTip(4);
    EXPECT_EQ(board.label("lblComment_4")->toolTip(), QString());
}

TEST_F(BehaviourTest, CommentToolTipCutsAtFourLines) {
    // 30 full-width characters are 60 bytes: the tip keeps 4 x 12 of them.
    const QString text(30, QChar(0x3042));
    setComment(state.schedule, 0, text);
    EXPECT_EQ(commentToolTip(state.schedule.entries(), page().firstRow, 3, QStringLiteral("普通"),
                             QStringLiteral("x")),
              text);
    setComment(state.schedule, 0, QString(60, QChar(0x3042)));
    EXPECT_EQ(commentToolTip(state.schedule.entries(), page().firstRow, 3, QStringLiteral("普通"),
                             QStringLiteral("x")),
              QString(48, QChar(0x3042)));
}

// A subscribed event's description follows its comment in the tip, as
// written: a server's text that looks like markup is not drawn as markup.
TEST_F(BehaviourTest, CommentToolTipAddsASubscribedDescription) {
    ReadOnlyEntry subscribed{test::entryAt(kToday.addDays(-40), 8, 0), QStringLiteral("cal"),
                             QStringLiteral("k")};
    subscribed.entry.comment = QStringLiteral("歯医者");
    subscribed.description = QStringLiteral("持ち物\n保険証");
    state.schedule.setReadOnlyEntries({subscribed});
    ASSERT_EQ(page().firstRow, 0);
    board.label("lblStatus_3")->setText(QStringLiteral("普通"));
    board.label("lblComment_3")->setText(QStringLiteral("歯医者"));
    behaviour.showCommentTip(3);
    EXPECT_EQ(board.label("lblComment_3")->toolTip(), QStringLiteral("歯医者\n持ち物\n保険証"));

    // Without a comment the description alone; the tool tip would take one
    // that starts with a tag for markup.
    subscribed.entry.comment = QStringLiteral("　");
    const auto tip = [&](const QString& description) {
        return commentToolTip({subscribed.entry}, 0, 3, QStringLiteral("普通"), QStringLiteral("x"),
                              description);
    };
    EXPECT_EQ(tip(QStringLiteral("持ち物")), QStringLiteral("持ち物"));
    const QString markup = tip(QStringLiteral("<b>太字</b><img src=\"/etc/x.png\">"));
    EXPECT_TRUE(markup.contains(QStringLiteral("&lt;b&gt;"))) << markup.toStdString();
    EXPECT_FALSE(markup.contains(QStringLiteral("<img"))) << markup.toStdString();
}

TEST_F(BehaviourTest, TopmostTakesEffectAtOnce) {
    item("mnuPop_Topmost")->setChecked(false);
    item("mnuPop_Topmost")->trigger();
    EXPECT_TRUE(state.settings.values().topMost);
    EXPECT_TRUE(board.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ASSERT_GE(board.placements.size(), 2u);
    EXPECT_EQ(board.placements.end()[-2].what, "on top");
    EXPECT_EQ(board.placements.back().what, "placed");
    EXPECT_EQ(board.placements.back().rect, board.window.geometry());

    item("mnuPop_Topmost")->trigger();
    EXPECT_FALSE(state.settings.values().topMost);
    EXPECT_FALSE(board.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(board.placements.end()[-2].what, "not on top");
    EXPECT_TRUE(board.window.isVisible());
}

TEST_F(BehaviourTest, ShowTaskCreatesAndDropsTheProxy) {
    EXPECT_EQ(behaviour.taskBarProxy(), nullptr);
    item("mnuPop_ShowTask")->setChecked(false);
    item("mnuPop_ShowTask")->trigger();
    EXPECT_TRUE(state.settings.values().showTask);
    ShadowWindow* shadow = behaviour.taskBarProxy();
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->objectName(), QStringLiteral("frmShadow"));
    EXPECT_EQ(shadow->windowTitle(), kAppTitle);
    EXPECT_EQ(shadow->size(), board.window.size());
    EXPECT_EQ(shadow->pos(), ShadowWindow::offScreenPosition());
    EXPECT_LT(shadow->pos().x(), -1000);
    EXPECT_TRUE(shadow->isMinimized()); // a button, not a window to look at
    EXPECT_FALSE(shadow->windowIcon().isNull());

    item("mnuPop_ShowTask")->trigger();
    EXPECT_FALSE(state.settings.values().showTask);
    EXPECT_EQ(behaviour.taskBarProxy(), nullptr);
}

TEST_F(BehaviourTest, ProxyActivationBringsTheBoardForward) {
    state.settings.update([&](Settings& s) { s.showTask = true; });
    behaviour.syncTaskBarProxy();
    ASSERT_NE(behaviour.taskBarProxy(), nullptr);
    board.placements.clear();
    // The user clicks the button: the proxy is restored, and goes back.
    ShadowWindow* shadow = behaviour.taskBarProxy();
    shadow->setWindowState(Qt::WindowNoState);
    ASSERT_EQ(board.placements.size(), 1u);
    EXPECT_EQ(board.placements[0].what, "raised");
    EXPECT_FALSE(board.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shadow->isMinimized(); }));

    state.settings.update([&](Settings& s) { s.topMost = true; });
    windowSystem().setStaysOnTop(&board.window, true);
    board.placements.clear();
    emit behaviour.taskBarProxy()->activated();
    ASSERT_EQ(board.placements.size(), 1u);
    EXPECT_EQ(board.placements[0].what, "raised");
    EXPECT_TRUE(board.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(BehaviourTest, HideAndRestoreWithoutATray) {
    state.settings.update([&](Settings& s) {
        s.showTask = true;
        s.windowSize = Middle;
        s.lastPositionX = 40;
        s.lastPositionY = 30;
    });
    behaviour.syncTaskBarProxy();
    const QSize size = board.window.size();

    behaviour.hideToTray();
    EXPECT_TRUE(behaviour.isInTray());
    EXPECT_FALSE(board.window.isVisible());
    EXPECT_EQ(behaviour.taskBarProxy(), nullptr);
    // No tray here: a minimised stand-in keeps the way back.
    ShadowWindow* standIn = behaviour.trayStandIn();
    ASSERT_NE(standIn, nullptr);
    EXPECT_TRUE(standIn->isMinimized());
    EXPECT_EQ(standIn->windowTitle(), kAppTitle);
    // Dragging is off while hidden.
    behaviour.startDrag(Qt::LeftButton, QCursor::pos());
    const QPoint before = board.window.pos();
    behaviour.followPointer(QPoint(900, 900));
    EXPECT_EQ(board.window.pos(), before);
    behaviour.endDrag(Qt::LeftButton);

    // The user restores the stand-in from the task bar.
    standIn->setWindowState(Qt::WindowNoState);
    EXPECT_FALSE(behaviour.isInTray());
    EXPECT_EQ(behaviour.trayStandIn(), nullptr);
    EXPECT_TRUE(board.window.isVisible());
    EXPECT_EQ(board.window.geometry(), QRect(QPoint(40, 30), size));
    ASSERT_NE(behaviour.taskBarProxy(), nullptr);
    ASSERT_FALSE(board.layouts.empty());
    EXPECT_EQ(board.layouts.back(), Middle);
    EXPECT_FALSE(board.layoutInTray.back()); // so the outer size is applied too
}

TEST_F(BehaviourTest, RestorePlacementRules) {
    struct Case {
        const char* name;
        bool topMost;
        int openNotices;
        std::vector<std::string> expected;
    };
    // Shown, the board comes up in front anyway; it takes the keyboard only
    // while no notice is open.
    const Case cases[] = {
        {"no notice, normal", false, 0, {"not on top", "placed"}},
        {"no notice, topmost", true, 0, {"on top", "placed"}},
        {"notice open, normal", false, 1, {"not on top", "placed quietly"}},
        {"notice open, topmost", true, 2, {"on top", "placed quietly"}},
    };
    for (const Case& c : cases) {
        state.settings.update([&](Settings& s) { s.topMost = c.topMost; });
        behaviour.setOpenNoticeProbe([&c] { return c.openNotices; });
        behaviour.hideToTray();
        board.placements.clear();
        behaviour.restoreFromTray();
        std::vector<std::string> got;
        for (const auto& p : board.placements)
            got.push_back(p.what);
        EXPECT_EQ(got, c.expected) << c.name;
        ASSERT_FALSE(board.placements.empty());
        EXPECT_EQ(board.placements.back().rect.topLeft(), QPoint(1, 1))
            << c.name; // LastPosition defaults
        EXPECT_EQ(windowSystem().staysOnTop(&board.window), c.topMost) << c.name;
    }
}

TEST_F(BehaviourTest, RestoreOutsideTheTrayLeavesTheBoardAlone) {
    const QRect before = board.window.geometry();
    behaviour.restoreFromTray();
    EXPECT_TRUE(board.placements.empty());
    EXPECT_EQ(board.window.geometry(), before);
}

TEST_F(BehaviourTest, TrayClicksRestoreAndTheMenuIsTheTrayMenu) {
    behaviour.setTrayAvailableProbe([] { return true; });
    behaviour.hideToTray();
    TrayIcon* tray = behaviour.trayIcon();
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(behaviour.trayStandIn(), nullptr);
    EXPECT_EQ(tray->icon()->toolTip(), kAppTitle);
    EXPECT_EQ(tray->icon()->contextMenu(), behaviour.menus().tray());

    emit tray->icon()->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(behaviour.isInTray());
    emit tray->icon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(behaviour.isInTray());
    EXPECT_TRUE(board.window.isVisible());

    behaviour.hideToTray();
    emit tray->icon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(behaviour.isInTray());

    behaviour.hideToTray();
    item("mnuTray_Open")->trigger();
    EXPECT_FALSE(behaviour.isInTray());
}

TEST_F(BehaviourTest, FailedTrayExitBringsTheIconBack) {
    behaviour.setTrayAvailableProbe([] { return true; });
    behaviour.hideToTray();
    QSignalSpy exit(&behaviour.commands(), &BoardCommands::exitRequested);
    bool iconGoneAtExit = false;
    QObject::connect(&behaviour.commands(), &BoardCommands::exitRequested,
                     [&] { iconGoneAtExit = !behaviour.trayIcon()->isVisible(); });
    item("mnuTray_Exit")->trigger();
    EXPECT_EQ(exit.count(), 1);
    EXPECT_TRUE(iconGoneAtExit);
    // The exit could not write: the board must still be reachable.
    behaviour.exitRefused();
    EXPECT_TRUE(behaviour.trayIcon()->isVisible());
}

TEST_F(BehaviourTest, DragMovesTheBoardByTheCursorDelta) {
    QSignalSpy dragged(&behaviour, &WindowBehaviour::dragged);
    board.window.move(200, 150);
    QCursor::setPos(500, 400);
    behaviour.startDrag(Qt::LeftButton, QCursor::pos());
    behaviour.followPointer(QPoint(510, 395));
    EXPECT_EQ(board.window.pos(), QPoint(210, 145));
    behaviour.followPointer(QPoint(530, 405));
    EXPECT_EQ(board.window.pos(), QPoint(230, 155));
    ASSERT_EQ(dragged.count(), 2);
    EXPECT_EQ(dragged.last().at(0).toInt(), 230);
    EXPECT_EQ(dragged.last().at(1).toInt(), 155);

    behaviour.endDrag(Qt::LeftButton);
    behaviour.followPointer(QPoint(600, 600));
    EXPECT_EQ(board.window.pos(), QPoint(230, 155));
}

TEST_F(BehaviourTest, FirstDragMoveAfterTheMenuOnlyResynchronises) {
    board.window.move(200, 150);
    openMenu([] {});
    QCursor::setPos(650, 650);
    behaviour.startDrag(Qt::LeftButton, QCursor::pos());
    behaviour.followPointer(QPoint(700, 700));
    EXPECT_EQ(board.window.pos(), QPoint(200, 150));
    behaviour.followPointer(QPoint(705, 702));
    EXPECT_EQ(board.window.pos(), QPoint(205, 152));
}

TEST_F(BehaviourTest, SizeItemsSetTheSizeAndLayOut) {
    item("mnuPop_Size_Big")->trigger();
    EXPECT_EQ(state.settings.values().windowSize, Big);
    ASSERT_EQ(board.layouts.size(), 1u);
    EXPECT_EQ(board.layouts[0], Big);
}

} // namespace
} // namespace tanzo
