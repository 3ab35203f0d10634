// The behaviour on the real board window: clicks, keys and mouse moves
// arrive through the window's own event handling.
#include "BoardTestEntries.h"
#include "board/BoardMenus.h"
#include "board/FillAnimation.h"
#include "board/MainWindow.h"
#include "board/WindowBehaviour.h"

#include "core/AppContext.h"
#include "support/ManualClock.h"
#include "support/RecordingPrompts.h"
#include "support/StoredEntries.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tanzo {
namespace {

// The store hands out no list for writing: a test changes a comment as the
// file would, through a new list.
void setComment(ScheduleStore& schedule, int index, const QString& comment) {
    DayList list = schedule.entries();
    list[static_cast<size_t>(index)].comment = comment;
    EXPECT_TRUE(test::storeEntries(schedule, list));
}

using test::entryAt;

const QDate kToday(2027, 3, 15);

class BehaviourOnBoardTest : public ::testing::Test {
protected:
    BehaviourOnBoardTest() : state(clock, dir.path() + QLatin1Char('/'), prompts) {
        clock.set(kToday, QTime(9, 0));
        DayList week;
        for (int day = 0; day < 8; ++day)
            week.push_back(entryAt(kToday.addDays(day), 10, 0, 3, QStringLiteral("会議室"),
                                   QStringLiteral("議題 %1").arg(day)));
        EXPECT_TRUE(test::storeEntries(state.schedule, week));
        window.fillAnimation().setAutoRun(false);
        behaviour.presence().setTrayAvailableProbe([] { return false; });
        window.show();
    }
    void finishFills() {
        for (int guard = 0; window.fillRunning() && guard < 10; ++guard)
            window.fillAnimation().finishNow();
    }
    int firstRow() const { return behaviour.paging().page().firstRow; }
    QLabel* label(const char* name) { return window.findChild<QLabel*>(QLatin1String(name)); }
    void click(QLabel* target) { QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(3, 3)); }

    QTemporaryDir dir;
    test::ManualClock clock;
    test::RecordingPrompts prompts;
    AppContext state;
    MainWindow window{state, {}};
    WindowBehaviour behaviour{state, window};
};

TEST_F(BehaviourOnBoardTest, KeysPageTheRealBoard) {
    QTest::keyClick(&window, Qt::Key_F6);
    EXPECT_TRUE(window.fillRunning());
    EXPECT_EQ(firstRow(), 0);
    finishFills();
    EXPECT_EQ(firstRow(), 1);
    EXPECT_EQ(window.cell("lblComment", 3)->text(), QStringLiteral("議題 1"));

    QTest::keyClick(&window, Qt::Key_F6, Qt::ShiftModifier);
    finishFills();
    EXPECT_EQ(firstRow(), 4);
    EXPECT_EQ(window.cell("lblComment", 3)->text(), QStringLiteral("議題 4"));

    QTest::keyClick(&window, Qt::Key_F4, Qt::ShiftModifier);
    finishFills();
    EXPECT_EQ(firstRow(), 1);
    EXPECT_EQ(prompts.beeps, 0);
}

TEST_F(BehaviourOnBoardTest, CommandLabelOpensTheMenuAndRunsTheChoice) {
    QString captionWhileOpen;
    QTimer::singleShot(0, [&] {
        captionWhileOpen = label("lblCntl")->text();
        behaviour.menus().action(QStringLiteral("mnuPop_View_NextPage"))->trigger();
        behaviour.menus().popup()->close();
    });
    click(label("lblCntl"));
    EXPECT_EQ(captionWhileOpen, QStringLiteral("■"));
    EXPECT_EQ(label("lblCntl")->text(), QStringLiteral("□"));
    finishFills();
    EXPECT_EQ(firstRow(), 3);
}

TEST_F(BehaviourOnBoardTest, CommentToolTipOnTheRealRows) {
    setComment(state.schedule, 1,
               QStringLiteral("長い備考の文章がここに入ります。二行目以降も含めて全部見える"));
    QTest::keyClick(&window, Qt::Key_F6); // the first row shows tomorrow's
    finishFills();
    ASSERT_EQ(firstRow(), 1);
    QLabel* frame = window.cell("lblComment", 0);
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), frame->mapToGlobal(QPointF(2, 2)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &move);
    EXPECT_EQ(frame->toolTip(), state.schedule.entries()[1].comment);
    EXPECT_EQ(window.cell("lblComment", 3)->toolTip(), frame->toolTip()) << "its text too";
}

TEST_F(BehaviourOnBoardTest, ActiveDisplayBringsTheRealBoardForwardForAFill) {
    state.settings.update([](Settings& s) { s.activeDisplay = true; });
    window.hide();
    behaviour.commands().runView(ViewCommand::Refresh);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    finishFills();
}

TEST_F(BehaviourOnBoardTest, MiniLabelHidesTheBoardAndTheStandInBringsItBack) {
    state.settings.update([&](Settings& s) {
        s.lastPositionX = 20;
        s.lastPositionY = 30;
    });
    click(label("lblMini"));
    EXPECT_TRUE(behaviour.presence().isInTray());
    EXPECT_FALSE(window.isVisible());
    ASSERT_NE(behaviour.presence().trayStandIn(), nullptr);
    behaviour.presence().trayStandIn()->setWindowState(Qt::WindowNoState);
    EXPECT_FALSE(behaviour.presence().isInTray());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(20, 30));
}

TEST_F(BehaviourOnBoardTest, SizeChosenInTheTrayReachesTheWindowOnReturn) {
    state.settings.update([&](Settings& s) { s.windowSize = Small; });
    window.applyBoardLayout(Small);
    const QSize small = window.size();
    behaviour.presence().hideToTray();
    // The options dialog applies a new size while the board is hidden.
    state.settings.update([&](Settings& s) { s.windowSize = Big; });
    window.applyBoardLayout(Big);
    EXPECT_EQ(window.size(), small);
    behaviour.presence().restoreFromTray();
    EXPECT_GT(window.width(), small.width());
    EXPECT_GT(window.height(), small.height());
}

TEST_F(BehaviourOnBoardTest, TitleDragMovesTheRealBoard) {
    window.move(100, 100);
    QLabel* title = label("lblTitle");
    QCursor::setPos(title->mapToGlobal(QPoint(5, 5)));
    QTest::mousePress(title, Qt::LeftButton, {}, QPoint(5, 5));
    const QPoint start = title->mapToGlobal(QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(25, 15), QPointF(start + QPoint(20, 10)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(title, &move);
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(25, 15));
    EXPECT_EQ(window.pos(), QPoint(120, 110));
    behaviour.drag().follow(start + QPoint(60, 60)); // the button is up
    EXPECT_EQ(window.pos(), QPoint(120, 110));
}

} // namespace
} // namespace tanzo
