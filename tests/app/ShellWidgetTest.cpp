#include "app/Shell.h"
#include "board/MainWindow.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Fonts.h"
#include "platform/MessageBox.h"
#include "platform/SoundPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tanzo;

namespace {

class SilentPlayer : public SoundPlayer {
public:
    void play(const QString&) override {}
};

struct Box {
    msgbox::Icon icon;
    QString caption;
    QString text;
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        installJapaneseFontSubstitutions();
        ASSERT_TRUE(m_dir.isValid());
        msgbox::setHook([this](msgbox::Icon icon, const QString& caption, const QString& text) {
            m_boxes.push_back({icon, caption, text});
        });
        m_clock.set(QDate(2027, 3, 15), QTime(9, 0, 0));
    }
    void TearDown() override { msgbox::setHook({}); }

    Shell::Locations locations() const {
        Shell::Locations l;
        l.settingsFile = m_dir.filePath(QStringLiteral("config/settings.reg"));
        l.dataDirectory = m_dir.path() + QLatin1Char('/');
        l.mediaDirectory = m_dir.path() + QStringLiteral("/media/");
        l.lockFile = m_dir.filePath(QStringLiteral("tanzo.lock"));
        return l;
    }
    QString dataPath() const { return m_dir.filePath(QStringLiteral("TANZO.DAT")); }

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
    ManualClock m_clock;
    SilentPlayer m_player;
    std::vector<Box> m_boxes;
};

// 2027-03-15 is day serial 46461.
const QString kTwoEntries = QStringLiteral("46461,.4166667,1,\"会議室    \",\"資料持参\",0,0\r\n"
                                           "46462,.5,3,\"本社     \",\"\",0,0\r\n");

} // namespace

TEST_F(ShellTest, StartsWithTheBoardWaitingForTheFirstLoad) {
    Shell shell(m_clock, locations(), m_player);
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    MainWindow* board = shell.board();
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(board->isVisible());
    EXPECT_TRUE(!shell.state().schedule.isLoaded());
    for (int k = 3; k <= 5; ++k)
        EXPECT_EQ(board->cell(QStringLiteral("lblPlace"), k)->text(), QStringLiteral("調整中"));
    EXPECT_TRUE(board->tickTimer()->isActive());
    EXPECT_EQ(board->tickTimer()->interval(), 1000);
    // Never placed before: the first position is taken over as the stored one.
    EXPECT_NE(shell.state().settings.LastPositionX, 1);
    EXPECT_EQ(board->boardRect().topLeft(),
              QPoint(shell.state().settings.LastPositionX, shell.state().settings.LastPositionY));
}

TEST_F(ShellTest, ASecondInstanceEndsAtOnce) {
    Shell first(m_clock, locations(), m_player);
    ASSERT_EQ(first.start(), Shell::StartResult::Running);
    Shell second(m_clock, locations(), m_player);
    EXPECT_EQ(second.start(), Shell::StartResult::SecondInstance);
    EXPECT_EQ(second.board(), nullptr);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(ShellTest, UnreadableSettingsEndStartUpWithTheMessage) {
    // The settings file's place is taken by a directory that cannot be read
    // as a file.
    Shell::Locations l = locations();
    QDir().mkpath(l.settingsFile);
    Shell shell(m_clock, l, m_player);
    EXPECT_EQ(shell.start(), Shell::StartResult::Failed);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].icon, msgbox::Icon::Critical);
    EXPECT_EQ(m_boxes[0].caption, QStringLiteral("スケジュールヨルカLite"));
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("プログラム情報の取得に失敗しました。"));
}

TEST_F(ShellTest, ExitBeforeTheFirstLoadKeepsTheFile) {
    writeData(kTwoEntries);
    const QByteArray before = readData();
    Shell shell(m_clock, locations(), m_player);
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
        Shell shell(m_clock, locations(), m_player);
        ASSERT_EQ(shell.start(), Shell::StartResult::Running);
        shell.board()->tick(); // first load
        ASSERT_FALSE(!shell.state().schedule.isLoaded());
        ASSERT_EQ(shell.state().schedule.entries().size(), 2u);
        shell.state().schedule.entries()[0].arrived = true;
        shell.state().schedule.entries()[0].preNoticed = true;
        shell.state().settings.SaveLastPosition = true;
        shell.state().settings.WindowSize = Middle;
        shell.board()->moveBoardTo(123, 45);
        QSignalSpy finished(&shell, &Shell::finished);
        shell.requestExit();
        QCoreApplication::processEvents();
        ASSERT_EQ(finished.count(), 1);
        EXPECT_TRUE(m_boxes.empty());
    }
    EXPECT_TRUE(cp932::decode(readData()).startsWith(QStringLiteral("46461,")));
    EXPECT_TRUE(cp932::decode(readData()).contains(QStringLiteral("\"資料持参\",-1,-1\r\n")));

    Shell again(m_clock, locations(), m_player);
    ASSERT_EQ(again.start(), Shell::StartResult::Running);
    const Settings& s = again.state().settings;
    EXPECT_TRUE(s.SaveLastPosition);
    EXPECT_EQ(s.LastPositionX, 123);
    EXPECT_EQ(s.LastPositionY, 45);
    EXPECT_EQ(again.board()->boardRect().topLeft(), QPoint(123, 45));
}

TEST_F(ShellTest, AFailedDataWriteKeepsTheProgramRunning) {
    writeData(kTwoEntries);
    Shell shell(m_clock, locations(), m_player);
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    shell.board()->tick();
    shell.state().schedule.file().setFailAfterEntries(1);
    QSignalSpy finished(&shell, &Shell::finished);
    shell.requestExit();
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("スケジュールデータの書き込みに失敗しました。"));
    EXPECT_TRUE(shell.board()->isVisible());
}

TEST_F(ShellTest, DialogsOpenAtMostOnce) {
    Shell shell(m_clock, locations(), m_player);
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    shell.board()->tick();
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

TEST_F(ShellTest, TheEditorReopenedBeforeTheNextTickStartsFromTheSavedFile) {
    writeData(kTwoEntries);
    Shell shell(m_clock, locations(), m_player);
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    shell.board()->tick();
    // What the editor's OK leaves behind: a longer file and a pending reload.
    writeData(kTwoEntries + QStringLiteral("46463,.5,2,\"支店     \",\"\",0,0\r\n"));
    shell.state().schedule.markReloadPending();
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
    Shell shell(m_clock, locations(), m_player);
    ASSERT_EQ(shell.start(), Shell::StartResult::Running);
    shell.board()->tick();
    shell.state().schedule.entries()[0].arrived = true;
    shell.state().schedule.entries()[0].preNoticed = true;
    m_clock.set(QDate(2027, 3, 16), QTime(0, 0, 5));
    shell.board()->tick(); // the new day's reload
    ASSERT_EQ(shell.state().schedule.entries().size(), 2u);
    EXPECT_TRUE(shell.state().schedule.entries()[0].arrived);
    shell.requestExit();
    QCoreApplication::processEvents();
    EXPECT_TRUE(cp932::decode(readData()).contains(QStringLiteral("\"資料持参\",-1,-1\r\n")));
}
