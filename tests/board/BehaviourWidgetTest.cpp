#include "board/BoardContent.h"
#include "board/BoardMenus.h"
#include "board/BoardView.h"
#include "board/ShadowWindow.h"
#include "board/TrayIcon.h"
#include "board/WindowBehaviour.h"

#include "BoardTestEntries.h"
#include "core/AppContext.h"
#include "platform/WindowSystem.h"
#include "support/ManualClock.h"
#include "support/RecordingPrompts.h"
#include "support/StoredEntries.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace tanzo {
namespace {

// The store hands out no list for writing: a test changes a comment as the
// file would, through a new list.
void setComment(ScheduleStore& schedule, int index, const QString& comment) {
    DayList list = schedule.entries();
    list[static_cast<size_t>(index)].comment = comment;
    EXPECT_TRUE(test::storeEntries(schedule, list));
}

const QDate kToday(2027, 3, 15);

// A board window with a command control and a fill that completes when the
// test says so.
class FakeBoard : public BoardView {
public:
    FakeBoard() {
        window.setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        window.setGeometry(200, 150, 411, 94);
        control = new QLabel(QStringLiteral("□"), &window);
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

    QRect boardRect() const override { return window.geometry(); }
    void moveBoardTo(int left, int top) override { window.move(left, top); }
    void placeBoardAt(const QRect& pixels, Focus focus) override {
        placements.push_back({focus == Focus::Take ? "placed" : "placed quietly", pixels});
        inTray = false;
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
    void hideInTray() override {
        window.hide();
        inTray = true;
    }
    bool isInTray() const override { return inTray; }
    void applyBoardLayout(int size) override {
        layouts.push_back(size);
        layoutInTray.push_back(inTray);
    }
    QFont boardFont() const override { return window.font(); }
    QIcon boardIcon() const override { return icon; }
    QWidget* boardWidget() override { return &window; }
    void fillBoard(int first, QDate from, QDate to, bool force,
                   std::function<void()> done) override {
        fills.push_back({first, from, to, force});
        filling = true;
        m_pending = std::move(done);
    }
    bool fillRunning() const override { return filling; }
    bool closing() const override { return false; }
    void setCommentToolTip(int row, const QString& tip) override {
        toolTips.at(static_cast<size_t>(row)) = tip;
    }
    QPoint commandMenuAnchor() const override {
        return control->mapToGlobal(QPoint(0, control->height()));
    }
    void showCommandMenuOpen(bool open) override {
        control->setText(open ? QStringLiteral("■") : QStringLiteral("□"));
    }

    QWidget window;
    QLabel* control = nullptr;
    QIcon icon;
    std::vector<Fill> fills;
    std::vector<Placement> placements;
    std::vector<int> layouts;
    std::vector<bool> layoutInTray;
    std::array<QString, 3> toolTips;
    bool filling = false;
    bool inTray = false;

private:
    std::function<void()> m_pending;
};

DayList appointments(int count) {
    return test::dailyAppointments(kToday, count);
}

class BehaviourTest : public ::testing::Test {
protected:
    BehaviourTest() {
        EXPECT_TRUE(test::storeEntries(state.schedule, appointments(8)));
        // The board shows the list it was given, from today's next entry.
        behaviour.paging().redrawFromStart();
        board.finishFill();
        board.fills.clear();
        presence().setTrayAvailableProbe([] { return false; });
        board.window.show();
    }
    QAction* item(const char* name) const {
        return behaviour.menus().action(QString::fromLatin1(name));
    }
    // Starts a title drag and makes one move: false when that move only
    // took the cursor position (the first move after the command menu).
    bool firstDragMoveMovesBoard() {
        const QPoint before = board.window.pos();
        behaviour.drag().start(Qt::LeftButton, QCursor::pos());
        behaviour.drag().follow(QCursor::pos() + QPoint(7, 3));
        behaviour.drag().end(Qt::LeftButton);
        const bool moved = board.window.pos() != before;
        board.window.move(before);
        return moved;
    }
    const BoardPage& page() { return behaviour.paging().page(); }
    TrayPresence& presence() { return behaviour.presence(); }
    // Pages down to `firstRow` as the user would, a row at a time, each fill
    // run to its end.
    void pageDownTo(int firstRow) {
        for (int guard = 0; page().firstRow < firstRow && guard < 10; ++guard) {
            behaviour.commands().runView(ViewCommand::Next);
            board.finishFill();
        }
        ASSERT_EQ(page().firstRow, firstRow);
        board.fills.clear();
    }
    QString controlCaption() const { return board.control->text(); }

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
        behaviour.commands().openCommandMenu(QCursor::pos());
    }

    test::ManualClock clock{QDateTime(kToday, QTime(9, 0))};
    test::RecordingPrompts prompts;
    QTemporaryDir dir; // the data file the entries are read from
    AppContext state{clock, dir.path() + QLatin1Char('/'), prompts};
    FakeBoard board;
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
    // A board whose store has not read its file yet.
    AppContext loading{clock, dir.path() + QStringLiteral("/not-read/"), prompts};
    FakeBoard early;
    WindowBehaviour earlyBehaviour{loading, early};
    earlyBehaviour.commands().openCommandMenu(QCursor::pos()); // would block if it opened
    EXPECT_EQ(early.control->text(), QStringLiteral("□"));
    // The menu did not open, so the drag was not disarmed.
    const QPoint before = early.window.pos();
    earlyBehaviour.drag().start(Qt::LeftButton, QCursor::pos());
    earlyBehaviour.drag().follow(QCursor::pos() + QPoint(7, 3));
    earlyBehaviour.drag().end(Qt::LeftButton);
    EXPECT_EQ(early.window.pos(), before + QPoint(7, 3));
}

// The keyboard's way in: Shift+F10 and the menu key open the menu below □,
// where an item is then chosen by keys.
TEST_F(BehaviourTest, ShiftF10AndTheMenuKeyOpenTheMenuAtTheControl) {
    const QPoint below = board.control->mapToGlobal(QPoint(0, board.control->height()));
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
        EXPECT_TRUE(behaviour.commands().runKey(key, modifiers));
        EXPECT_EQ(openedAt, below) << key;
        EXPECT_EQ(caption, QStringLiteral("■"));
    }
    // F10 alone and Ctrl+Shift+F10 are not the menu's.
    EXPECT_FALSE(behaviour.commands().runKey(Qt::Key_F10, Qt::NoModifier));
    EXPECT_FALSE(behaviour.commands().runKey(Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier));
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
        EXPECT_TRUE(behaviour.commands().runKey(s.key, s.modifiers));
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
    behaviour.commands().runKey(Qt::Key_F4, Qt::NoModifier);
    behaviour.commands().runKey(Qt::Key_F4, Qt::ShiftModifier);
    EXPECT_TRUE(board.fills.empty());
    pageDownTo(7);
    behaviour.commands().runKey(Qt::Key_F6, Qt::NoModifier);
    EXPECT_EQ(prompts.beeps, 3);
    EXPECT_TRUE(board.fills.empty());
}

TEST_F(BehaviourTest, KeysDuringAFill) {
    pageDownTo(2);
    behaviour.commands().runKey(Qt::Key_F6, Qt::NoModifier);
    ASSERT_TRUE(board.filling);
    QSignalSpy schedule(&behaviour.commands(), &BoardCommands::scheduleRequested);
    behaviour.commands().runKey(Qt::Key_F6, Qt::NoModifier);
    EXPECT_EQ(prompts.beeps, 1);
    behaviour.commands().runKey(Qt::Key_F2, Qt::NoModifier);
    EXPECT_EQ(schedule.count(), 1);
    EXPECT_EQ(board.fills.size(), 1u);
}

TEST_F(BehaviourTest, RefreshGoesBackToTheNextEntry) {
    pageDownTo(6);
    // Two days on, today's next appointment is the third.
    const QDate today = kToday.addDays(2);
    clock.set(today, QTime(9, 0));
    behaviour.commands().runKey(Qt::Key_F5, Qt::NoModifier);
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
    EXPECT_TRUE(behaviour.commands().runKey(Qt::Key_F4, Qt::AltModifier));
    item("mnuPop_Exit")->trigger();
    EXPECT_EQ(exit.count(), 2);
    EXPECT_FALSE(behaviour.commands().runKey(Qt::Key_F4, Qt::ControlModifier));
}

// The tip is the whole comment of the appointment the row shows, read from
// the list and the page, never from what the labels happen to show.
TEST_F(BehaviourTest, CommentToolTipShowsTheWholeCommentOfTheRowsAppointment) {
    const QString longComment =
        QStringLiteral("本日の会議は第二会議室に変更になりました。資料を持参のこと");
    setComment(state.schedule, 4, QStringLiteral("  ") + longComment + QStringLiteral(" "));
    const auto tipOfRow = [&](int row) {
        behaviour.commands().showCommentTip(row);
        return board.toolTips.at(static_cast<size_t>(row));
    };
    // The rows show today alone: tomorrow's appointment in row 1 is not
    // shown, and has no tip.
    EXPECT_EQ(tipOfRow(0), QStringLiteral("comment 0"));
    EXPECT_EQ(tipOfRow(1), QString());

    pageDownTo(3);
    EXPECT_EQ(tipOfRow(1), longComment);
    // Rows being redrawn show no appointment yet.
    behaviour.commands().runView(ViewCommand::Next);
    EXPECT_EQ(tipOfRow(1), QString());
    board.finishFill();
    EXPECT_EQ(tipOfRow(0), longComment);

    // A blank comment, and a row past the list, have none.
    setComment(state.schedule, 4, QStringLiteral("　 "));
    EXPECT_EQ(tipOfRow(0), QString());
    pageDownTo(7); // row 1 would be index 8, past the list
    EXPECT_EQ(tipOfRow(1), QString());
}

TEST_F(BehaviourTest, CommentToolTipCutsAtFourLines) {
    // 30 full-width characters are 60 bytes: the tip keeps 4 x 12 of them.
    const QString text(30, QChar(0x3042));
    setComment(state.schedule, 0, text);
    EXPECT_EQ(commentToolTip(state.schedule.entries(), page(), 0), text);
    setComment(state.schedule, 0, QString(60, QChar(0x3042)));
    EXPECT_EQ(commentToolTip(state.schedule.entries(), page(), 0), QString(48, QChar(0x3042)));
}

// A subscribed event's description follows its comment in the tip, as
// written: a server's text that looks like markup is not drawn as markup.
TEST_F(BehaviourTest, CommentToolTipAddsASubscribedDescription) {
    ReadOnlyEntry subscribed{test::entryAt(kToday, 8, 0), QStringLiteral("cal"),
                             QStringLiteral("k")};
    subscribed.entry.comment = QStringLiteral("歯医者");
    subscribed.description = QStringLiteral("持ち物\n保険証");
    state.schedule.setReadOnlyEntries({subscribed});
    ASSERT_EQ(page().firstRow, 0);
    behaviour.commands().showCommentTip(0);
    EXPECT_EQ(board.toolTips[0], QStringLiteral("歯医者\n持ち物\n保険証"));

    // Without a comment the description alone; the tool tip would take one
    // that starts with a tag for markup.
    subscribed.entry.comment = QStringLiteral("　");
    const auto tip = [&](const QString& description) {
        return commentToolTip({subscribed.entry}, page(), 0, description);
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
    EXPECT_EQ(presence().taskBarProxy(), nullptr);
    item("mnuPop_ShowTask")->setChecked(false);
    item("mnuPop_ShowTask")->trigger();
    EXPECT_TRUE(state.settings.values().showTask);
    ShadowWindow* shadow = presence().taskBarProxy();
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
    EXPECT_EQ(presence().taskBarProxy(), nullptr);
}

TEST_F(BehaviourTest, ProxyActivationBringsTheBoardForward) {
    state.settings.update([&](Settings& s) { s.showTask = true; });
    presence().syncTaskBarProxy();
    ASSERT_NE(presence().taskBarProxy(), nullptr);
    board.placements.clear();
    // The user clicks the button: the proxy is restored, and goes back.
    ShadowWindow* shadow = presence().taskBarProxy();
    shadow->setWindowState(Qt::WindowNoState);
    ASSERT_EQ(board.placements.size(), 1u);
    EXPECT_EQ(board.placements[0].what, "raised");
    EXPECT_FALSE(board.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shadow->isMinimized(); }));

    state.settings.update([&](Settings& s) { s.topMost = true; });
    windowSystem().setStaysOnTop(&board.window, true);
    board.placements.clear();
    emit presence().taskBarProxy()->activated();
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
    presence().syncTaskBarProxy();
    const QSize size = board.window.size();

    presence().hideToTray();
    EXPECT_TRUE(presence().isInTray());
    EXPECT_FALSE(board.window.isVisible());
    EXPECT_EQ(presence().taskBarProxy(), nullptr);
    // No tray here: a minimised stand-in keeps the way back.
    ShadowWindow* standIn = presence().trayStandIn();
    ASSERT_NE(standIn, nullptr);
    EXPECT_TRUE(standIn->isMinimized());
    EXPECT_EQ(standIn->windowTitle(), kAppTitle);
    // Dragging is off while hidden.
    behaviour.drag().start(Qt::LeftButton, QCursor::pos());
    const QPoint before = board.window.pos();
    behaviour.drag().follow(QPoint(900, 900));
    EXPECT_EQ(board.window.pos(), before);
    behaviour.drag().end(Qt::LeftButton);

    // The user restores the stand-in from the task bar.
    standIn->setWindowState(Qt::WindowNoState);
    EXPECT_FALSE(presence().isInTray());
    EXPECT_EQ(presence().trayStandIn(), nullptr);
    EXPECT_TRUE(board.window.isVisible());
    EXPECT_EQ(board.window.geometry(), QRect(QPoint(40, 30), size));
    ASSERT_NE(presence().taskBarProxy(), nullptr);
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
        presence().setOpenNoticeProbe([&c] { return c.openNotices; });
        presence().hideToTray();
        board.placements.clear();
        presence().restoreFromTray();
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

// With ActiveDisplay on, a fill brings the board forward: out of the tray,
// or in front without the keyboard unless every dialog is open or it stays
// on top anyway. The notices come forward after it.
TEST_F(BehaviourTest, FillBringsTheBoardForwardWhenActiveDisplayWantsIt) {
    struct Case {
        const char* name;
        bool activeDisplay;
        bool inTray;
        bool allDialogsOpen;
        bool topMost;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"off", false, false, false, false, {}},
        {"off, in the tray", false, true, false, false, {}},
        {"in the tray", true, true, false, false, {"not on top", "placed"}},
        {"all dialogs open", true, false, true, false, {}},
        {"on top anyway", true, false, false, true, {}},
        {"shown", true, false, false, false, {"raised quietly"}},
    };
    for (const Case& c : cases) {
        state.settings.update([&](Settings& s) {
            s.activeDisplay = c.activeDisplay;
            s.topMost = c.topMost;
        });
        presence().setAllDialogsOpenProbe([&c] { return c.allDialogsOpen; });
        if (c.inTray)
            presence().hideToTray();
        board.placements.clear();
        QSignalSpy cameForward(&presence(), &TrayPresence::cameForward);
        presence().comeForwardForFill();
        std::vector<std::string> got;
        for (const auto& p : board.placements)
            got.push_back(p.what);
        EXPECT_EQ(got, c.expected) << c.name;
        EXPECT_EQ(cameForward.count(), c.expected.empty() ? 0 : 1) << c.name;
        presence().restoreFromTray();
    }
}

TEST_F(BehaviourTest, RestoreOutsideTheTrayLeavesTheBoardAlone) {
    const QRect before = board.window.geometry();
    presence().restoreFromTray();
    EXPECT_TRUE(board.placements.empty());
    EXPECT_EQ(board.window.geometry(), before);
}

TEST_F(BehaviourTest, TrayClicksRestoreAndTheMenuIsTheTrayMenu) {
    presence().setTrayAvailableProbe([] { return true; });
    presence().hideToTray();
    TrayIcon* tray = presence().trayIcon();
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(presence().trayStandIn(), nullptr);
    EXPECT_EQ(tray->icon()->toolTip(), kAppTitle);
    EXPECT_EQ(tray->icon()->contextMenu(), behaviour.menus().tray());

    emit tray->icon()->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(presence().isInTray());
    emit tray->icon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(presence().isInTray());
    EXPECT_TRUE(board.window.isVisible());

    presence().hideToTray();
    emit tray->icon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(presence().isInTray());

    presence().hideToTray();
    item("mnuTray_Open")->trigger();
    EXPECT_FALSE(presence().isInTray());
}

TEST_F(BehaviourTest, FailedTrayExitBringsTheIconBack) {
    presence().setTrayAvailableProbe([] { return true; });
    presence().hideToTray();
    QSignalSpy exit(&behaviour.commands(), &BoardCommands::exitRequested);
    bool iconGoneAtExit = false;
    QObject::connect(&behaviour.commands(), &BoardCommands::exitRequested,
                     [&] { iconGoneAtExit = !presence().trayIcon()->isVisible(); });
    item("mnuTray_Exit")->trigger();
    EXPECT_EQ(exit.count(), 1);
    EXPECT_TRUE(iconGoneAtExit);
    // The exit could not write: the board must still be reachable.
    presence().exitRefused();
    EXPECT_TRUE(presence().trayIcon()->isVisible());
}

TEST_F(BehaviourTest, DragMovesTheBoardByTheCursorDelta) {
    QSignalSpy dragged(&behaviour.drag(), &BoardDrag::dragged);
    board.window.move(200, 150);
    QCursor::setPos(500, 400);
    behaviour.drag().start(Qt::LeftButton, QCursor::pos());
    behaviour.drag().follow(QPoint(510, 395));
    EXPECT_EQ(board.window.pos(), QPoint(210, 145));
    behaviour.drag().follow(QPoint(530, 405));
    EXPECT_EQ(board.window.pos(), QPoint(230, 155));
    ASSERT_EQ(dragged.count(), 2);
    EXPECT_EQ(dragged.last().at(0).toInt(), 230);
    EXPECT_EQ(dragged.last().at(1).toInt(), 155);

    behaviour.drag().end(Qt::LeftButton);
    behaviour.drag().follow(QPoint(600, 600));
    EXPECT_EQ(board.window.pos(), QPoint(230, 155));
}

TEST_F(BehaviourTest, FirstDragMoveAfterTheMenuOnlyResynchronises) {
    board.window.move(200, 150);
    openMenu([] {});
    QCursor::setPos(650, 650);
    behaviour.drag().start(Qt::LeftButton, QCursor::pos());
    behaviour.drag().follow(QPoint(700, 700));
    EXPECT_EQ(board.window.pos(), QPoint(200, 150));
    behaviour.drag().follow(QPoint(705, 702));
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
