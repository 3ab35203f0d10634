#include "alarm/NoticeCenter.h"
#include "alarm/NoticeWindow.h"
#include "alarm/Ticker.h"
#include "app/Shell.h"
#include "board/FillAnimation.h"
#include "board/MainWindow.h"
#include "board/WindowBehaviour.h"
#include "platform/Cp932.h"
#include "platform/Fonts.h"
#include "support/FailingWriters.h"
#include "support/ManualClock.h"
#include "support/RecordingPrompts.h"
#include "support/RecordingSoundPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tanzo;

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        installJapaneseFontSubstitutions();
        ASSERT_TRUE(m_dir.isValid());
        m_clock.set(QDate(2027, 3, 15), QTime(9, 0, 0));
    }

    Shell::Locations locations() const {
        Shell::Locations l;
        l.settingsFile = m_dir.filePath(QStringLiteral("config/settings.reg"));
        l.dataDirectory = m_dir.path() + QLatin1Char('/');
        l.mediaDirectory = m_dir.path() + QStringLiteral("/media/");
        l.lockFile = m_dir.filePath(QStringLiteral("tanzo.lock"));
        return l;
    }
    QString dataPath() const { return m_dir.filePath(QStringLiteral("TANZO.DAT")); }

    // Lets the notice windows come on the screen; their flags are written
    // then.
    static void letNoticesAppear(Shell& shell) {
        for (NoticeWindow* w : shell.notices()->openNotices())
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        QCoreApplication::processEvents();
    }
    static void finishFills(MainWindow& board) {
        for (int guard = 0; board.fillRunning() && guard < 10; ++guard)
            board.fillAnimation().finishNow();
    }

    void writeData(const QString& text) {
        QFile f(dataPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(cp932::encode(text));
    }
    QByteArray readData() const {
        QFile f(dataPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll();
    }

    QTemporaryDir m_dir;
    test::ManualClock m_clock;
    test::RecordingSoundPlayer m_player;
    test::RecordingPrompts m_prompts;
    // The data file's writes fail as a full disk would, when a test says so.
    test::WriteFailures m_failures{-1, QStringLiteral("TANZO.DAT")};
};

// 2027-03-15 is day serial 46461.
const QString kTwoEntries = QStringLiteral("46461,.4166667,1,\"会議室    \",\"資料持参\",0,0\r\n"
                                           "46462,.5,3,\"本社     \",\"\",0,0\r\n");

} // namespace

TEST_F(ShellTest, StartsWithTheBoardWaitingForTheFirstLoad) {
    Shell shell(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    MainWindow* board = shell.board();
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(board->isVisible());
    EXPECT_TRUE(!shell.state().schedule.isLoaded());
    for (int k = 3; k <= 5; ++k)
        EXPECT_EQ(board->cell(QStringLiteral("lblPlace"), k)->text(), QStringLiteral("調整中"));
    // The clock is the shell's, not the board's.
    ASSERT_NE(shell.ticker(), nullptr);
    EXPECT_TRUE(shell.ticker()->isActive());
    EXPECT_EQ(shell.ticker()->timer()->objectName(), QStringLiteral("Timer1"));
    EXPECT_EQ(shell.ticker()->timer()->interval(), 1000);
    // Never placed before: the first position is taken over as the stored one.
    EXPECT_NE(shell.state().settings.values().lastPositionX, 1);
    EXPECT_EQ(board->boardRect().topLeft(), QPoint(shell.state().settings.values().lastPositionX,
                                                   shell.state().settings.values().lastPositionY));
}

// Without its calendar module the board runs on: the subscriptions' window
// and a sync say why they cannot come, once the module has been tried once.
TEST_F(ShellTest, AMissingCalendarModuleIsToldWhereAskedAndTheBoardRunsOn) {
    Shell::Locations l = locations();
    l.subscriptionsFile = m_dir.filePath(QStringLiteral("subscriptions.json"));
    l.subscriptionCacheDirectory = m_dir.filePath(QStringLiteral("cache"));
    int tries = 0;
    const QString missing = QStringLiteral("カレンダーの機能を読み込めませんでした。");
    Shell shell(m_clock, l, m_player, m_prompts, m_failures.factory(),
                [&](const CalendarServices::Board&, QString* error) {
                    ++tries;
                    *error = missing;
                    return std::unique_ptr<CalendarServices>();
                });
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    ASSERT_NE(shell.subscriptions(), nullptr);
    shell.openSubscriptions();
    emit shell.behaviour()->commands().syncRequested();
    ASSERT_EQ(m_prompts.boxes.size(), 2u);
    for (const test::ShownBox& box : m_prompts.boxes)
        EXPECT_EQ(box.text, missing);
    EXPECT_EQ(tries, 1);
    EXPECT_TRUE(shell.board()->isVisible());
    EXPECT_TRUE(shell.ticker()->isActive());
}

TEST_F(ShellTest, ASecondInstanceEndsAtOnce) {
    Shell first(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(first.start(), Shell::StartResult::Running);
    Shell second(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    EXPECT_EQ(second.start(), Shell::StartResult::SecondInstance);
    EXPECT_EQ(second.board(), nullptr);
    EXPECT_TRUE(m_prompts.boxes.empty());
}

TEST_F(ShellTest, UnreadableSettingsEndStartUpWithTheMessage) {
    // The settings file's place is taken by a directory that cannot be read
    // as a file.
    Shell::Locations l = locations();
    QDir().mkpath(l.settingsFile);
    Shell shell(m_clock, l, m_player, m_prompts, m_failures.factory());
    EXPECT_EQ(shell.start(), Shell::StartResult::Failed);
    ASSERT_EQ(m_prompts.boxes.size(), 1u);
    EXPECT_EQ(m_prompts.boxes[0].icon, msgbox::Icon::Critical);
    EXPECT_EQ(m_prompts.boxes[0].caption, QStringLiteral("スケジュールヨルカLite"));
    EXPECT_EQ(m_prompts.boxes[0].text, QStringLiteral("プログラム情報の取得に失敗しました。"));
}

TEST_F(ShellTest, ExitBeforeTheFirstLoadKeepsTheFile) {
    writeData(kTwoEntries);
    const QByteArray before = readData();
    Shell shell(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    QSignalSpy finished(&shell, &Shell::finished);
    shell.requestExit();
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    // The same two appointments are written back (flags as they were).
    EXPECT_EQ(readData(), before);
}

TEST_F(ShellTest, ExitWritesTheFlagsAndTheWindowSettings) {
    writeData(kTwoEntries);
    {
        Shell shell(m_clock, locations(), m_player, m_prompts, m_failures.factory());
        ASSERT_EQ(shell.start(), Shell::StartResult::Running);
        shell.ticker()->tick(); // first load
        ASSERT_FALSE(!shell.state().schedule.isLoaded());
        ASSERT_EQ(shell.state().schedule.entries().size(), 2u);
        m_clock.set(QDate(2027, 3, 15), QTime(10, 0, 0));
        shell.ticker()->tick(); // the first appointment starts
        letNoticesAppear(shell);
        shell.state().settings.update([&](Settings& s) {
            s.saveLastPosition = true;
            s.windowSize = Middle;
        });
        shell.board()->moveBoardTo(123, 45);
        QSignalSpy finished(&shell, &Shell::finished);
        shell.requestExit();
        QCoreApplication::processEvents();
        ASSERT_EQ(finished.count(), 1);
        EXPECT_TRUE(m_prompts.boxes.empty());
    }
    EXPECT_TRUE(cp932::decode(readData()).startsWith(QStringLiteral("46461,")));
    EXPECT_TRUE(cp932::decode(readData()).contains(QStringLiteral("\"資料持参\",-1,-1\r\n")));

    Shell again(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(again.start(), Shell::StartResult::Running);
    const Settings& s = again.state().settings.values();
    EXPECT_TRUE(s.saveLastPosition);
    EXPECT_EQ(s.lastPositionX, 123);
    EXPECT_EQ(s.lastPositionY, 45);
    EXPECT_EQ(again.board()->boardRect().topLeft(), QPoint(123, 45));
}

TEST_F(ShellTest, AFailedDataWriteKeepsTheProgramRunning) {
    writeData(kTwoEntries);
    Shell shell(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    shell.ticker()->tick();
    m_failures.failAfterWrites = 1;
    QSignalSpy finished(&shell, &Shell::finished);
    shell.requestExit();
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
    ASSERT_EQ(m_prompts.boxes.size(), 1u);
    EXPECT_EQ(m_prompts.boxes[0].text,
              QStringLiteral("スケジュールデータの書き込みに失敗しました。"));
    EXPECT_TRUE(shell.board()->isVisible());
}

TEST_F(ShellTest, DialogsOpenAtMostOnce) {
    Shell shell(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    shell.ticker()->tick();
    shell.openScheduleEditor();
    auto* editor = shell.scheduleEditor();
    ASSERT_NE(editor, nullptr);
    shell.openScheduleEditor();
    EXPECT_EQ(shell.scheduleEditor(), editor);
    shell.openOptions();
    auto* options = shell.optionsDialog();
    ASSERT_NE(options, nullptr);
    shell.openOptions();
    EXPECT_EQ(shell.optionsDialog(), options);
}

TEST_F(ShellTest, TheEditorOpenedRightAfterAnotherProgramWroteTheFileStartsFromIt) {
    writeData(kTwoEntries);
    Shell shell(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    shell.ticker()->tick();
    // Written behind the program's back; the watcher has not had its turn.
    writeData(kTwoEntries + QStringLiteral("46463,.5,2,\"支店     \",\"\",0,0\r\n"));
    shell.openScheduleEditor();
    auto* list = shell.scheduleEditor()->findChild<QListWidget*>(QStringLiteral("lstSchedule"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 3);
    // And an exit before the tick writes all three back.
    shell.scheduleEditor()->close();
    shell.requestExit();
    QCoreApplication::processEvents();
    EXPECT_EQ(cp932::decode(readData()).count(QStringLiteral("\r\n")), 3);
}

TEST_F(ShellTest, ANewDayKeepsTheNoticeFlagsSetSinceTheLastWrite) {
    writeData(kTwoEntries);
    Shell shell(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    shell.ticker()->tick();
    QCoreApplication::processEvents();
    MainWindow& board = *shell.board();
    for (int guard = 0; board.fillRunning() && guard < 10; ++guard)
        board.fillAnimation().finishNow();
    ASSERT_FALSE(board.fillRunning()) << "the first fill has finished";
    ASSERT_EQ(board.cell(QStringLiteral("lblPlace"), 3)->text().trimmed(),
              QStringLiteral("会議室"));

    // The first appointment starts while the file cannot be written: its
    // flags are in memory only.
    m_failures.failAfterWrites = 0;
    m_clock.set(QDate(2027, 3, 15), QTime(10, 0, 0));
    shell.ticker()->tick();
    letNoticesAppear(shell);
    ASSERT_TRUE(shell.state().schedule.entries()[0].arrived);
    ASSERT_EQ(m_prompts.boxes.size(), 1u) << "told, without stopping the clock";
    EXPECT_EQ(m_prompts.boxes[0].text,
              QStringLiteral("スケジュールデータの書き込みに失敗しました。"));
    m_failures.failAfterWrites = -1;

    QSignalSpy changed(&shell.state().schedule, &ScheduleStore::changed);
    m_clock.set(QDate(2027, 3, 16), QTime(0, 0, 5));
    shell.ticker()->tick(); // the new day's reload
    ASSERT_EQ(changed.count(), 1) << "the new day's reload ran";
    EXPECT_EQ(changed.at(0).at(0).value<ScheduleStore::Change>(), ScheduleStore::Change::List);
    ASSERT_EQ(shell.state().schedule.entries().size(), 2u);
    EXPECT_TRUE(shell.state().schedule.entries()[0].arrived);
    EXPECT_TRUE(shell.state().schedule.entries()[0].preNoticed);
    shell.requestExit();
    QCoreApplication::processEvents();
    EXPECT_TRUE(cp932::decode(readData()).contains(QStringLiteral("\"資料持参\",-1,-1\r\n")));
}

// With 内容更新時は前面表示 the board comes forward when it redraws, and a
// start notice makes it redraw: it must not end above the notice.
TEST_F(ShellTest, TheBoardComingForwardForItsRedrawLeavesTheNoticeInFront) {
    writeData(kTwoEntries);
    Shell shell(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    shell.state().settings.update([](Settings& s) {
        s.activeDisplay = true;
        s.topMost = false;
    });
    MainWindow& board = *shell.board();
    shell.ticker()->tick();
    QCoreApplication::processEvents();
    finishFills(board);

    // Every raise of a window, in order.
    struct RaiseLog : QObject {
        std::vector<QObject*> raised;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::ZOrderChange && watched->isWidgetType() &&
                static_cast<QWidget*>(watched)->isWindow())
                raised.push_back(watched);
            return false;
        }
    } log;
    qApp->installEventFilter(&log);
    m_clock.set(QDate(2027, 3, 15), QTime(10, 0, 0));
    shell.ticker()->tick();
    letNoticesAppear(shell);
    QCoreApplication::processEvents();
    finishFills(board);
    qApp->removeEventFilter(&log);

    ASSERT_EQ(shell.notices()->openCount(), 1);
    QObject* notice = shell.notices()->openNotices().first();
    const auto last = [&log](QObject* w) {
        return std::find(log.raised.rbegin(), log.raised.rend(), w) - log.raised.rbegin();
    };
    ASSERT_LT(last(&board), static_cast<long>(log.raised.size())) << "the board came forward";
    EXPECT_LT(last(notice), last(&board)) << "the notice was raised after the board";
    shell.requestExit();
    QCoreApplication::processEvents();
}
