#include "BoardTestEntries.h"
#include "alarm/Ticker.h"
#include "board/BoardContent.h"
#include "board/BoardPaging.h"
#include "board/FillAnimation.h"
#include "board/FocusMark.h"
#include "board/MainWindow.h"
#include "core/AppContext.h"
#include "core/Colors.h"
#include "platform/Fonts.h"
#include "platform/WindowSystem.h"
#include "support/ManualClock.h"
#include "support/RecordingSoundPlayer.h"
#include "support/StoredEntries.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <QAccessible>

#include <gtest/gtest.h>

#include <cmath>

namespace tanzo {
namespace {

using test::entryAt;

const QDate kToday(2027, 3, 15);

int px(double twips) {
    return static_cast<int>(std::nearbyint(twips / 15.0));
}

BgrColor colorOf(const QLabel* label) {
    return fromQColor(label->palette().color(QPalette::WindowText));
}

// What the window announces of the user's input, and the keys that reach it
// (where the window behaviour takes them), in order.
class InputRecorder : public QObject {
public:
    explicit InputRecorder(MainWindow& window) : m_window(window) {
        connect(&window, &MainWindow::commandMenuRequested, this, [this](const QPoint& at) {
            calls << "cntl";
            menuAt = at;
        });
        connect(&window, &MainWindow::trayRequested, this, [this] { calls << "mini"; });
        connect(&window, &MainWindow::titlePressed, this, [this] { calls << "down"; });
        connect(&window, &MainWindow::titleReleased, this, [this] { calls << "up"; });
        connect(&window, &MainWindow::pointerMoved, this, [this] { calls << "move"; });
        connect(&window, &MainWindow::commentHovered, this,
                [this](int row) { calls << QStringLiteral("comment%1").arg(row); });
        window.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::KeyPress) {
            calls << QStringLiteral("key%1").arg(static_cast<QKeyEvent*>(event)->key());
        }
        return false;
    }
    QStringList calls;
    QPoint menuAt;

private:
    MainWindow& m_window;
};

class BoardWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { installJapaneseFontSubstitutions(); }

    BoardWindowTest() : state(clock, dir.path() + QLatin1Char('/')) {
        clock.set(kToday, QTime(10, 0, 10));
    }

    MainWindow& board() {
        if (!m_window) {
            m_window = std::make_unique<MainWindow>(state);
            m_window->fillAnimation().setAutoRun(false);
        }
        return *m_window;
    }
    QLabel* label(const QString& name) { return board().findChild<QLabel*>(name); }
    void writeDataFile(const DayList& list) {
        ASSERT_TRUE(DataFile(state.schedule.path()).save(list));
    }
    // The program's clock, with the board and its paging as its view, as the
    // shell wires them.
    Ticker& ticker() {
        if (!m_ticker) {
            m_paging = std::make_unique<BoardPaging>(clock, state.schedule, board());
            m_ticker =
                std::make_unique<Ticker>(clock, state.schedule, state.settings.values(), sound,
                                         [this](const QString& place, const QString&, int kind, int,
                                                const NoticeShown& shown) {
                                             notices.push_back({place, kind});
                                             shown(); // on the screen at once
                                         });
            QObject::connect(m_ticker.get(), &Ticker::startNoticeGiven, m_paging.get(),
                             &BoardPaging::moveToNextEntry);
        }
        return *m_ticker;
    }
    int nextEntry() const { return m_paging->page().nextEntry; }
    // The redraw the store's announcement asked for, run to its end.
    void redraw() {
        QCoreApplication::processEvents();
        finishFills();
    }
    void finishFills() {
        int guard = 0;
        while (board().fillRunning() && ++guard < 10)
            board().fillAnimation().finishNow();
    }

    QTemporaryDir dir;
    test::ManualClock clock;
    AppContext state;
    std::vector<std::pair<QString, int>> notices;

private:
    test::RecordingSoundPlayer sound;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<BoardPaging> m_paging;
    std::unique_ptr<Ticker> m_ticker;
};

TEST_F(BoardWindowTest, LabelsCarryTheirNamesAndFixedTexts) {
    EXPECT_EQ(board().objectName(), "frmMain");
    EXPECT_TRUE(board().windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(label("lblCntl")->toolTip(), "コマンド");
    EXPECT_EQ(label("lblMini")->toolTip(), "最小化");
    EXPECT_EQ(label("lblExit")->toolTip(), "閉じる");
    EXPECT_EQ(label("lblSeq_4")->text(), "つぎ");
    EXPECT_EQ(label("lblDot_5")->text(), "：");
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(label(QStringLiteral("lblPlace_%1").arg(i))->text(), "調整中");
    EXPECT_EQ(board().cell("lblComment", 4), label("lblComment_4"));
    EXPECT_EQ(board().cell("lblNothing", 1), nullptr);
}

struct SizeCase {
    int size;
    int outerW, outerH, titleW, miniL, exitL, rowH;
    int tops[3];
    int cells[7][2]; // Seq, Status, Place, Hour, Dot, Min, Comment: left, width
    int headers[5][2];
    const char* label1;
};

// The board's geometry in twips, per size.
const SizeCase kSizes[] = {
    {Big,
     9480,
     1680,
     8670,
     8910,
     9150,
     345,
     {540, 885, 1230},
     {{15, 1230}, {1260, 1230}, {2505, 2265}, {4785, 480}, {5235, 150}, {5355, 480}, {5850, 3525}},
     {{1245, 1245}, {2490, 2280}, {4770, 1065}, {5835, 3540}, {1245, 8130}},
     "ステータス"},
    {Middle,
     7595,
     1590,
     6780,
     7020,
     7260,
     315,
     {540, 855, 1170},
     {{15, 990}, {1005, 990}, {1995, 1740}, {3735, 435}, {4140, 150}, {4260, 435}, {4695, 2790}},
     {{1005, 990}, {1995, 1740}, {3735, 960}, {4695, 2790}, {1005, 6480}},
     "ステータス"},
    {Small,
     6155,
     1410,
     5340,
     5580,
     5820,
     255,
     {540, 795, 1050},
     {{15, 810}, {825, 810}, {1635, 1350}, {2985, 375}, {3330, 135}, {3435, 375}, {3810, 2235}},
     {{825, 810}, {1635, 1350}, {2985, 825}, {3810, 2235}, {825, 5220}},
     "ｽﾃｰﾀｽ"},
};

TEST_F(BoardWindowTest, GeometryOfEverySizeFollowsTheTable) {
    ASSERT_DOUBLE_EQ(Twips::fromPrimaryScreen().perPixel(), 15.0);
    const char* columns[] = {"lblSeq", "lblStatus", "lblPlace",  "lblHour",
                             "lblDot", "lblMin",    "lblComment"};
    for (const SizeCase& c : kSizes) {
        SCOPED_TRACE(c.size);
        board().applyBoardLayout(c.size);
        EXPECT_EQ(board().size(), QSize(px(c.outerW), px(c.outerH)));
        EXPECT_EQ(label("lblTitle")->geometry(), QRect(px(240), px(15), px(c.titleW), px(240)));
        EXPECT_EQ(label("lblMini")->x(), px(c.miniL));
        EXPECT_EQ(label("lblExit")->x(), px(c.exitL));
        EXPECT_EQ(label("lblCntl")->geometry(), QRect(px(15), px(15), px(225), px(240)));
        for (int col = 0; col < 7; ++col) {
            for (int r = 0; r < 3; ++r) {
                const QRect expected(px(c.cells[col][0]), px(c.tops[r]), px(c.cells[col][1]),
                                     px(c.rowH));
                EXPECT_EQ(board().cell(columns[col], r)->geometry(), expected)
                    << columns[col] << " row " << r;
            }
        }
        for (int h = 0; h < 5; ++h) {
            const QLabel* header = label(QStringLiteral("Label%1").arg(h + 1));
            EXPECT_EQ(header->x(), px(c.headers[h][0])) << "Label" << h + 1;
            EXPECT_EQ(header->width(), px(c.headers[h][1])) << "Label" << h + 1;
            EXPECT_EQ(header->y(), px(h == 4 ? 270 : 375));
        }
        EXPECT_EQ(label("Label1")->text(), QString::fromUtf8(c.label1));
    }
}

TEST_F(BoardWindowTest, TextLabelsAreCentredAndTheCommentIndented) {
    const auto expectPlaceCentred = [&] {
        const QRect place = board().cell("lblPlace", 3)->geometry();
        const QRect cell = board().cell("lblPlace", 0)->geometry();
        EXPECT_LT(place.width(), cell.width());
        EXPECT_LE(std::abs(place.center().x() - cell.center().x()), 1);
        EXPECT_LE(std::abs(place.center().y() - cell.center().y()), 1);
    };
    // A new board fits its texts in the first turn of the event loop.
    board();
    QCoreApplication::sendPostedEvents();
    expectPlaceCentred();
    board().applyBoardLayout(Small);
    expectPlaceCentred();

    EXPECT_TRUE(test::storeEntries(
        state.schedule, {entryAt(kToday, 14, 5, 3, "東京", QStringLiteral("長").repeated(12))}));
    board().fillBoard(0, kToday, kToday, true);
    finishFills();
    EXPECT_EQ(board().cell("lblComment", 3)->x(), px(3810 + 20));
}

TEST_F(BoardWindowTest, BigSmallBigRestoresBig) {
    const auto snapshot = [&] {
        QStringList shot;
        for (const QLabel* l : board().findChildren<QLabel*>())
            shot << QStringLiteral("%1 %2,%3 %4x%5 %6")
                        .arg(l->objectName())
                        .arg(l->x())
                        .arg(l->y())
                        .arg(l->width())
                        .arg(l->height())
                        .arg(l->text());
        shot << QStringLiteral("%1x%2").arg(board().width()).arg(board().height());
        return shot;
    };
    board().applyBoardLayout(Big);
    const QStringList big = snapshot();
    board().applyBoardLayout(Small);
    EXPECT_NE(snapshot(), big);
    board().applyBoardLayout(Big);
    EXPECT_EQ(snapshot(), big);
}

TEST_F(BoardWindowTest, InTheTraySizeChangeKeepsTheWindowSize) {
    board().applyBoardLayout(Small);
    const QSize before = board().size();
    board().hideInTray();
    board().applyBoardLayout(Big);
    EXPECT_EQ(board().size(), before);
    EXPECT_EQ(label("lblExit")->x(), px(9150));
}

TEST_F(BoardWindowTest, LayoutCarriesColoursOverToNewOnes) {
    board();
    QLabel* status = board().cell("lblStatus", 3);
    QPalette red = status->palette();
    red.setColor(QPalette::WindowText, toQColor(board::Red));
    status->setPalette(red);
    QLabel* comment = board().cell("lblComment", 4);
    QPalette second = comment->palette();
    second.setColor(QPalette::WindowText, toQColor(0xFFFF00));
    comment->setPalette(second);

    // New colours, as the options dialog applies them.
    state.settings.update([&](Settings& s) {
        s.foreColor1 = 0x00FF00;
        s.foreColor2 = 0x0000AA;
        s.backColor = 0x331100;
    });
    board().applyBoardLayout(Small);

    // A background colour applied by the options dialog shows at once.
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(fromQColor(board().cell("lblPlace", r)->palette().color(QPalette::Window)),
                  0x331100u);
    EXPECT_EQ(colorOf(board().cell("lblSeq", 3)), 0x00FF00u);
    EXPECT_EQ(colorOf(board().cell("lblPlace", 5)), 0x00FF00u);
    EXPECT_EQ(colorOf(comment), 0x0000AAu);
    EXPECT_EQ(colorOf(status), board::Red);
}

TEST_F(BoardWindowTest, FillSteppedFrameByFrame) {
    EXPECT_TRUE(test::storeEntries(state.schedule, {entryAt(kToday, 14, 5, 1, "東京", "会議")}));
    bool done = false;
    board().fillBoard(0, kToday, kToday, true, [&] { done = true; });

    EXPECT_TRUE(board().fillRunning());
    EXPECT_EQ(board().cursor().shape(), Qt::BusyCursor);

    QLabel* status = board().cell("lblStatus", 3);
    board().fillAnimation().stepFrame(); // hide, let events through
    EXPECT_TRUE(status->isHidden());
    board().fillAnimation().stepFrame(); // first placeholder shown
    EXPECT_FALSE(status->isHidden());
    EXPECT_EQ(status->text(), board::StatusPlaceholder);
    EXPECT_EQ(colorOf(status), board::Red);
    board().fillAnimation().stepFrame();
    board().fillAnimation().stepFrame();
    EXPECT_EQ(colorOf(status), board::Yellow);

    board().applyBoardLayout(Middle);

    finishFills();
    EXPECT_TRUE(done);
    EXPECT_FALSE(board().fillRunning());
    EXPECT_NE(board().cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(status->text(), "最重要");
    EXPECT_EQ(board().cell("lblPlace", 3)->text(), "東京");
    EXPECT_EQ(board().cell("lblHour", 3)->text(), "1 4");
    EXPECT_EQ(board().cell("lblMin", 3)->text(), "0 5");
    EXPECT_EQ(board().cell("lblComment", 3)->text(), "会議");
    EXPECT_EQ(board().cell("lblComment", 4)->text(), "");
}

TEST_F(BoardWindowTest, FillRunsOnItsOwnThroughTheEventLoop) {
    state.settings.update([&](Settings& s) { s.interval = 1; });
    EXPECT_TRUE(test::storeEntries(state.schedule, {entryAt(kToday, 10, 5)}));
    board().fillAnimation().setAutoRun(true);
    bool done = false;
    board().fillBoard(0, kToday, kToday, true, [&] { done = true; });
    EXPECT_FALSE(done);
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
    EXPECT_EQ(board().cell("lblHour", 3)->text(), "1 0");
}

// Whether the board then comes forward is the tray presence's to decide.
TEST_F(BoardWindowTest, AFillAnnouncesItsStartOnce) {
    QSignalSpy started(&board(), &MainWindow::fillStarted);
    board().fillBoard(0, kToday, kToday, false);
    EXPECT_EQ(started.count(), 1);
    finishFills();
    EXPECT_EQ(started.count(), 1);
}

// Bringing a hidden board forward (from the tray, or for a fill) must not
// flip its stay-on-top state while it is hidden: the toolkit would rebuild
// the native window with the stale state. It ends as the setting says.
TEST_F(BoardWindowTest, HiddenBoardIsShownInItsFinalStayOnTopState) {
    for (const bool topMost : {false, true}) {
        state.settings.update([&](Settings& s) { s.topMost = topMost; });
        board().setBoardStaysOnTop(topMost);
        board().hide();
        const QRect rect(40, 30, board().width(), board().height());
        board().placeBoardAt(rect, Focus::Take);
        board().hide();
        board().raiseBoardOnce(Focus::Take);
        EXPECT_TRUE(board().isVisible());
        EXPECT_EQ(board().windowFlags().testFlag(Qt::WindowStaysOnTopHint), topMost)
            << "TopMost " << topMost;
        EXPECT_EQ(board().geometry(), rect);
    }
    // A visible board is raised and let go again (the fill's raise), or kept
    // on top (the menu's toggle).
    board().setBoardStaysOnTop(false);
    board().raiseBoardOnce(Focus::Take);
    EXPECT_FALSE(board().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    board().setBoardStaysOnTop(true);
    EXPECT_TRUE(board().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(BoardWindowTest, TickLoadsNotifiesAndTheBoardFollows) {
    const DayList written{entryAt(kToday, 9, 0, 3, "早朝"), entryAt(kToday, 9, 57, 3, "遅刻"),
                          entryAt(kToday, 10, 0, 3, "開始"), entryAt(kToday, 10, 5, 3, "予告"),
                          entryAt(kToday, 11, 0, 3, "後で")};
    writeDataFile(written);
    board();
    ticker().tick();

    EXPECT_TRUE(state.schedule.isLoaded());
    EXPECT_EQ(state.schedule.entries().size(), 5u);
    // 09:00 is settled without a notice (past the skip mark), 09:57 overdue,
    // 10:00 starts, 10:05 is five minutes ahead. The clock waits for no
    // window: the notices come while the board has still to draw its rows.
    const std::vector<std::pair<QString, int>> expected = {
        {"遅刻", OverdueWarning}, {"開始", StartNotice}, {"予告", AdvanceNotice}};
    EXPECT_EQ(notices, expected);
    EXPECT_EQ(board().cell("lblPlace", 3)->text(), "調整中");

    redraw();
    EXPECT_EQ(nextEntry(), 3);
    EXPECT_EQ(board().cell("lblPlace", 3)->text(), "予告");
    EXPECT_EQ(board().cell("lblMin", 3)->text(), "0 5");

    // The next tick has nothing new to say and does not reload.
    notices.clear();
    writeDataFile({entryAt(kToday, 12, 0)});
    clock.advanceSeconds(10);
    ticker().tick();
    QCoreApplication::processEvents();
    EXPECT_FALSE(board().fillRunning());
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(state.schedule.entries().size(), 5u);
    // Put back: the notice's write below would take in the change.
    writeDataFile(written);

    // A start notice moves the board on to the next appointment.
    clock.set(kToday, QTime(10, 5, 10));
    ticker().tick();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(board().fillRunning());
    finishFills();
    EXPECT_EQ(nextEntry(), 4);
    EXPECT_EQ(board().cell("lblPlace", 3)->text(), "後で");
}

TEST_F(BoardWindowTest, FirstTickOfANewDayReloads) {
    const QDate tomorrow = kToday.addDays(1);
    clock.set(kToday, QTime(23, 59, 30));
    writeDataFile({entryAt(kToday, 8, 0, 3, "朝")});
    board();
    ticker().tick();
    redraw();
    EXPECT_EQ(nextEntry(), -1);

    // The file changes behind the program's back, and nothing watches it.
    writeDataFile({entryAt(kToday, 8, 0, 3, "朝"), entryAt(tomorrow, 0, 0, 3, "深夜")});
    clock.advanceSeconds(10);
    ticker().tick();
    EXPECT_EQ(state.schedule.entries().size(), 1u) << "same day: no reload";

    clock.set(tomorrow, QTime(0, 0, 20));
    ticker().tick();
    redraw();
    EXPECT_EQ(state.schedule.entries().size(), 2u);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], std::make_pair(QStringLiteral("深夜"), int(StartNotice)));
}

TEST_F(BoardWindowTest, InputIsAnnouncedAndExitIsASignal) {
    InputRecorder behaviour(board());
    board().show();
    // Input comes once the board is up; by then its texts fit their captions.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&board()));
    QTest::mouseClick(label("lblCntl"), Qt::LeftButton);
    QTest::mouseClick(label("lblMini"), Qt::LeftButton);
    QTest::mousePress(label("lblTitle"), Qt::LeftButton);
    QTest::mouseRelease(label("lblTitle"), Qt::LeftButton);
    QTest::mouseMove(label("lblComment_4"));
    QTest::keyClick(&board(), Qt::Key_F5);
    EXPECT_TRUE(behaviour.calls.contains("cntl"));
    EXPECT_TRUE(behaviour.calls.contains("mini"));
    EXPECT_TRUE(behaviour.calls.contains("down"));
    EXPECT_TRUE(behaviour.calls.contains("up"));
    EXPECT_TRUE(behaviour.calls.contains("comment1")) << "row 1's text";
    EXPECT_TRUE(behaviour.calls.contains(QStringLiteral("key%1").arg(int(Qt::Key_F5))));

    int exits = 0, unloads = 0;
    QObject::connect(&board(), &MainWindow::exitRequested, [&] { ++exits; });
    QObject::connect(&board(), &MainWindow::unloaded, [&] { ++unloads; });
    QTest::mouseClick(label("lblExit"), Qt::LeftButton);
    EXPECT_EQ(exits, 1);
    // A screen reader finds □ － × as buttons named for what they do, and
    // its press action clicks them.
    for (const auto& [name, spoken] :
         {std::pair{"lblCntl", "コマンド"}, std::pair{"lblMini", "最小化"},
          std::pair{"lblExit", "閉じる"}}) {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(label(name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->role(), QAccessible::Button) << name;
        EXPECT_EQ(button->text(QAccessible::Name), QString::fromUtf8(spoken));
        ASSERT_NE(button->actionInterface(), nullptr);
    }
    QAccessible::queryAccessibleInterface(label("lblExit"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(exits, 2);
    // A close from the window manager asks for the exit instead of closing.
    board().close();
    EXPECT_EQ(exits, 3);
    EXPECT_TRUE(board().isVisible());
    board().unload();
    EXPECT_EQ(unloads, 1);
    EXPECT_FALSE(board().isVisible());
}

TEST_F(BoardWindowTest, ScreenReaderReadsEachRowOnceAsASentence) {
    EXPECT_TRUE(test::storeEntries(state.schedule, {entryAt(kToday, 14, 5, 2, "東京", "会議")}));
    QWidget* firstRow = board().findChild<QWidget*>(QStringLiteral("rowEntry_0"));
    ASSERT_NE(firstRow, nullptr);
    const QString before = firstRow->accessibleName();
    EXPECT_EQ(before, QStringLiteral("こんど、調整中"));

    // While the flap runs the row keeps what it read before: the half-drawn
    // texts are never its name. A label with a name of its own announces no
    // text it shows, so every drawn label has one.
    board().fillBoard(0, kToday, kToday, true);
    int frames = 0;
    while (board().fillAnimation().stepFrame() && ++frames < 5000)
        ASSERT_EQ(firstRow->accessibleName(), before) << "frame " << frames;
    EXPECT_GT(frames, 50);
    EXPECT_EQ(firstRow->accessibleName(), QStringLiteral("こんど、14時5分、東京、重要、会議"));
    for (int c = 0; c < layout::ColumnCount; ++c)
        for (int member = 0; member < 6; ++member) {
            const QLabel* cell = board().cell(layout::columnName(layout::Column(c)), member);
            EXPECT_FALSE(cell->accessibleName().isEmpty()) << cell->objectName().toStdString();
        }

    // The window shows the title strip and the list of rows, not its labels.
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&board());
    ASSERT_EQ(window->childCount(), 9);
    EXPECT_EQ(window->child(0)->text(QAccessible::Name), QStringLiteral("コマンド"));
    EXPECT_EQ(window->child(4)->text(QAccessible::Name),
              QStringLiteral("ｽﾃｰﾀｽ")); // the small size's
    QAccessibleInterface* list = window->child(8);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    QAccessibleInterface* row = list->child(0);
    EXPECT_EQ(row->role(), QAccessible::ListItem);
    EXPECT_EQ(row->text(QAccessible::Name), firstRow->accessibleName());
    EXPECT_EQ(window->indexOfChild(list), 8);
    // Rows beyond the list read the end-of-day message or their word alone.
    EXPECT_EQ(list->child(1)->text(QAccessible::Name), QStringLiteral("つぎ"));
}

TEST_F(BoardWindowTest, TitleButtonsTakeTheFocusByTabAndShowIt) {
    InputRecorder behaviour(board());
    board().show();
    board().activateWindow();
    board().setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(board().hasFocus());
    EXPECT_EQ(board().focusMark().markedRect(), board().rect());

    // Tab reaches □, which Space presses: the menu opens below it.
    QLabel* control = label("lblCntl");
    for (int tabs = 0; tabs < 6 && !control->hasFocus(); ++tabs)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(control->hasFocus());
    EXPECT_TRUE(board().focusMark().markedRect().contains(control->geometry()));
    EXPECT_FALSE(board().focusMark().markedRect().contains(label("lblTitle")->geometry()));
    QTest::keyClick(control, Qt::Key_Space);
    EXPECT_EQ(behaviour.calls.count("cntl"), 1);
    EXPECT_EQ(behaviour.menuAt, control->mapToGlobal(QPoint(0, control->height())));
    // Keys for the board go on to it from a focused button.
    QTest::keyClick(control, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(behaviour.calls.contains(QStringLiteral("key%1").arg(int(Qt::Key_F10))));
    // Enter on － hides the board in the tray.
    QTest::keyClick(label("lblMini"), Qt::Key_Return);
    EXPECT_TRUE(behaviour.calls.contains("mini"));
}

TEST_F(BoardWindowTest, WithoutBehaviourInputIsIgnored) {
    // A window whose behaviour has gone (as the shell lets it go first)
    // does nothing of its own.
    board().show();
    QApplication::processEvents();
    finishFills();
    const QPoint at = board().pos();
    QSignalSpy exits(&board(), &MainWindow::exitRequested);

    QTest::mouseClick(label("lblCntl"), Qt::LeftButton);
    QTest::mouseClick(label("lblMini"), Qt::LeftButton);
    QTest::mousePress(label("lblTitle"), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(label("lblTitle"), QPoint(40, 20));
    QTest::mouseRelease(label("lblTitle"), Qt::LeftButton, {}, QPoint(40, 20));
    QTest::keyClick(&board(), Qt::Key_F6);
    QTest::keyClick(&board(), Qt::Key_Down);

    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no command menu";
    EXPECT_FALSE(board().fillRunning()) << "no paging";
    EXPECT_TRUE(board().isVisible()) << "not hidden to the tray";
    EXPECT_EQ(board().pos(), at) << "not dragged";
    EXPECT_EQ(exits.count(), 0);
}

} // namespace
} // namespace tanzo
