// The whole program against damaged or unwritable files: it keeps running,
// shows the message the failure calls for, and what stood in the files
// survives byte for byte (in place, or in the copy kept beside it).
#include "alarm/Ticker.h"
#include "app/Shell.h"
#include "board/FillAnimation.h"
#include "board/MainWindow.h"
#include "platform/Cp932.h"
#include "platform/RegistryStore.h"
#include "support/FailingWriters.h"
#include "support/ManualClock.h"
#include "support/RecordingPrompts.h"
#include "support/RecordingSoundPlayer.h"

#include "SmallFileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

namespace tanzo {
namespace {

const QString kDataWriteFailed = QStringLiteral("スケジュールデータの書き込みに失敗しました。");
const QString kSettingsSaveFailed = QStringLiteral("プログラム情報の保存に失敗しました。");

// 2027-03-15 is day serial 46461.
QByteArray entryLine(int day, const char* time, const QString& place, const QString& comment) {
    return QByteArray::number(46461 + day) + ',' + time + ",3,\"" + cp932::encode(place) + "\",\"" +
           cp932::encode(comment) + "\",0,0\r\n";
}

const QByteArray kTwoEntries =
    entryLine(0, ".4166667", QStringLiteral("会議室    "), QStringLiteral("資料持参")) +
    entryLine(1, ".5", QStringLiteral("本社     "), QStringLiteral(""));

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

class DamageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_clock.set(QDate(2027, 3, 15), QTime(9, 0, 0));
    }

    Shell::Locations locations(const QString& dataDirectory = {}) const {
        Shell::Locations l;
        l.settingsFile = m_dir.filePath(QStringLiteral("config/settings.reg"));
        l.dataDirectory = dataDirectory.isEmpty() ? m_dir.path() + QLatin1Char('/') : dataDirectory;
        l.mediaDirectory = m_dir.path() + QStringLiteral("/media/");
        l.lockFile = m_dir.filePath(QStringLiteral("tanzo.lock"));
        return l;
    }
    QString dataPath() const { return m_dir.filePath(QStringLiteral("TANZO.DAT")); }

    // Starts the program and lets its first tick load the file.
    std::unique_ptr<Shell> startAndLoad(const Shell::Locations& l) {
        auto shell = std::make_unique<Shell>(m_clock, l, m_player, m_prompts, m_failures.factory());
        EXPECT_EQ(shell->start(), Shell::StartResult::Running);
        if (shell->ticker()) {
            shell->ticker()->tick();
            QCoreApplication::processEvents(); // the board's redraw starts
        }
        return shell;
    }

    // The exit command fails with the data message and leaves the program
    // running; then, with the cause removed, a second exit goes through.
    void expectExitRefused(Shell& shell) {
        QSignalSpy finished(&shell, &Shell::finished);
        m_prompts.boxes.clear();
        shell.requestExit();
        QCoreApplication::processEvents();
        EXPECT_EQ(finished.count(), 0);
        EXPECT_EQ(m_prompts.texts(), QStringList{kDataWriteFailed});
        ASSERT_NE(shell.board(), nullptr);
        EXPECT_TRUE(shell.board()->isVisible());
        shell.ticker()->tick(); // and it keeps ticking
    }
    void expectExitDone(Shell& shell) {
        QSignalSpy finished(&shell, &Shell::finished);
        m_prompts.boxes.clear();
        shell.requestExit();
        QCoreApplication::processEvents();
        EXPECT_EQ(finished.count(), 1);
        EXPECT_TRUE(m_prompts.texts().isEmpty()) << m_prompts.texts().join(u'|').toStdString();
    }

    QTemporaryDir m_dir;
    test::ManualClock m_clock;
    test::RecordingSoundPlayer m_player;
    test::RecordingPrompts m_prompts;
    // The data file's writes fail as a full disk would, when a test says so.
    test::WriteFailures m_failures{-1, QStringLiteral("TANZO.DAT")};
};

TEST_F(DamageTest, DataDirectoryUnderARegularFileRefusesTheExitAndKeepsRunning) {
    writeBytes(m_dir.filePath(QStringLiteral("blocker")), "a file, not a directory");
    auto shell = startAndLoad(locations(m_dir.filePath(QStringLiteral("blocker")) + "/"));
    ASSERT_NE(shell->board(), nullptr);
    EXPECT_TRUE(shell->state().schedule.isLoaded());
    expectExitRefused(*shell);
    expectExitRefused(*shell); // asking again changes nothing
    EXPECT_EQ(readBytes(m_dir.filePath(QStringLiteral("blocker"))), "a file, not a directory");
}

TEST_F(DamageTest, ReadOnlyDataDirectoryRefusesTheExitAndKeepsTheFile) {
    const QString dir = m_dir.filePath(QStringLiteral("ro"));
    writeBytes(dir + "/TANZO.DAT", kTwoEntries);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    // The superuser writes into read-only directories: nothing to test then.
    const bool effective = access(QFile::encodeName(dir).constData(), W_OK) != 0;
    if (effective) {
        auto shell = startAndLoad(locations(dir + "/"));
        // A notice given: its flag cannot be written here.
        EXPECT_FALSE(shell->state().schedule.markNotices({{0, true, false}}));
        expectExitRefused(*shell);
        EXPECT_EQ(readBytes(dir + "/TANZO.DAT"), kTwoEntries);
        EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"TANZO.DAT"});
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        expectExitDone(*shell);
    }
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!effective)
        GTEST_SKIP() << "directory permissions do not bind this user";
}

TEST_F(DamageTest, DiskFullDuringTheExitKeepsTheFileAndTheProgram) {
    writeBytes(dataPath(), kTwoEntries);
    auto shell = startAndLoad(locations());
    m_failures.failAfterWrites = 0;
    EXPECT_FALSE(shell->state().schedule.markNotices({{1, true, false}}));
    for (int after : {0, 1}) {
        m_failures.failAfterWrites = after;
        expectExitRefused(*shell);
        EXPECT_EQ(readBytes(dataPath()), kTwoEntries);
        EXPECT_EQ(QDir(m_dir.path())
                      .entryList({"TANZO*"}, QDir::Files | QDir::Hidden | QDir::CaseSensitive),
                  QStringList{"TANZO.DAT"});
    }
    m_failures.failAfterWrites = -1;
    expectExitDone(*shell);
    EXPECT_TRUE(readBytes(dataPath()).endsWith("\"\",-1,0\r\n"));
}

TEST_F(DamageTest, RealFullFileSystemKeepsTheFileAndTheProgram) {
    const QString dir = m_dir.filePath(QStringLiteral("small"));
    SmallFileSystem fs(dir);
    if (!fs.mounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root and the right)";
    QByteArray original;
    for (int i = 0; i < 200; ++i)
        original += entryLine(i % 5, ".5", QStringLiteral("会議室    "),
                              QStringLiteral("資料持参 %1").arg(i));
    writeBytes(dir + "/TANZO.DAT", original);
    auto shell = startAndLoad(locations(dir + "/"));
    ASSERT_EQ(shell->state().schedule.entries().size(), 200u);
    fs.fill(0);
    EXPECT_FALSE(shell->state().schedule.markNotices({{0, true, false}}));
    expectExitRefused(*shell);
    EXPECT_EQ(readBytes(dir + "/TANZO.DAT"), original);
    EXPECT_EQ(QDir(dir).entryList({"TANZO*"}, QDir::Files | QDir::Hidden | QDir::CaseSensitive),
              QStringList{"TANZO.DAT"});
    fs.drain();
    expectExitDone(*shell);
    EXPECT_TRUE(readBytes(dir + "/TANZO.DAT").contains(",-1,0\r\n"));
}

TEST_F(DamageTest, DirectoryInPlaceOfTheDataFileRefusesTheExit) {
    ASSERT_TRUE(QDir().mkpath(dataPath() + "/inside"));
    auto shell = startAndLoad(locations());
    EXPECT_TRUE(shell->state().schedule.isLoaded());
    EXPECT_TRUE(holdsNoAppointment(shell->state().schedule.entries()));
    expectExitRefused(*shell);
    EXPECT_TRUE(QFileInfo(dataPath() + "/inside").isDir());
}

TEST_F(DamageTest, FileCutInsideACharacterKeepsTheReadableEntriesAndTheOriginal) {
    // The third line ends after the first byte of 参 (0x8E 0x51).
    const QByteArray cut =
        kTwoEntries + "46463,.5,1,\"\x89\xef\x8b\x63\x8e\xba    \",\"\x8e\x91\x97\xbf\x8e";
    // And a whole line whose text holds bytes that are not code page 932 (a
    // lead byte before a space, a byte the page does not use): it reads, but
    // could not be written back as it was.
    const QByteArray foreign = kTwoEntries + "46463,.5,1,\"\x82 room\",\"note \xfd\",0,0\r\n";
    for (const QByteArray& original : {cut, foreign}) {
        SCOPED_TRACE(original.toHex().toStdString());
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        writeBytes(dataPath(), original);
        auto shell = startAndLoad(locations());
        ASSERT_GE(shell->state().schedule.entries().size(), 2u);
        EXPECT_EQ(shell->state().schedule.entries()[0].comment, QStringLiteral("資料持参"));
        expectExitDone(*shell);
        EXPECT_EQ(readBytes(dataPath() + ".bak"), original);
        EXPECT_TRUE(readBytes(dataPath()).startsWith(kTwoEntries));
    }
}

TEST_F(DamageTest, DamagedLinesHideNothingElseAndAreToldOnceWithWhereTheOriginalIs) {
    const QByteArray a =
        entryLine(0, ".4166667", QStringLiteral("会議室    "), QStringLiteral("資料持参"));
    const QByteArray b = entryLine(0, ".5", QStringLiteral("本社     "), QString());
    const QByteArray c = entryLine(0, ".75", QStringLiteral("支店     "), QString());
    struct Case {
        const char* what;
        QByteArray original;
        bool told; // and kept in the backup
    };
    const Case cases[] = {
        {"bad date in the middle", a + "2027-03-15,.5,3,\"x\",\"\",0,0\r\n" + b + c, true},
        {"too few fields", a + "46461,.5,3\r\n" + b + c, true},
        {"byte-order mark", "\xEF\xBB\xBF" + a + b + c, false},
        {"bytes outside the code page", a + "46461,.5,3,\"\x82 x\",\"\xfd\",0,0\r\n" + b + c, true},
        {"impossible date", a + "1E+30,.5,3,\"far\",\"\",0,0\r\n" + b + c, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        writeBytes(dataPath(), k.original);
        m_prompts.boxes.clear();
        auto shell = startAndLoad(locations());
        ASSERT_NE(shell->board(), nullptr);
        MainWindow& board = *shell->board();
        for (int guard = 0; board.fillRunning() && guard < 10; ++guard)
            board.fillAnimation().finishNow();
        // The appointments after the damaged line are on the board.
        EXPECT_EQ(board.cell("lblPlace", 3)->text().trimmed(), QStringLiteral("会議室"));
        EXPECT_EQ(board.cell("lblPlace", 4)->text().trimmed(), QStringLiteral("本社"));
        EXPECT_EQ(board.cell("lblPlace", 5)->text().trimmed(), QStringLiteral("支店"));
        if (k.told) {
            EXPECT_EQ(
                m_prompts.texts(),
                QStringList{
                    QStringLiteral("スケジュールデータの1行を読み込めませんでした（最初は2行"
                                   "目）。読み込めなかった予定は表示されません。\n元のデータは「") +
                    dataPath() + QStringLiteral("」にあり、次に書き込む前に「") + dataPath() +
                    QStringLiteral(".bak」へ保存されます。")});
        } else {
            EXPECT_TRUE(m_prompts.texts().isEmpty());
        }
        // Later ticks, a new day's reload and the editor say nothing more.
        m_prompts.boxes.clear();
        shell->ticker()->tick();
        m_clock.set(QDate(2027, 3, 16), QTime(0, 0, 1));
        shell->ticker()->tick();
        m_clock.set(QDate(2027, 3, 15), QTime(9, 0, 0));
        shell->ticker()->tick();
        QCoreApplication::processEvents();
        for (int guard = 0; board.fillRunning() && guard < 10; ++guard)
            board.fillAnimation().finishNow();
        shell->openScheduleEditor();
        ASSERT_NE(shell->scheduleEditor(), nullptr);
        const auto* list = shell->scheduleEditor()->findChild<QListWidget*>("lstSchedule");
        ASSERT_EQ(list->count(), 3);
        for (int i = 0; i < list->count(); ++i)
            EXPECT_TRUE(list->item(i)->text().startsWith("2027/03/15 | ")) << i;
        EXPECT_TRUE(m_prompts.texts().isEmpty()) << m_prompts.texts().join(u'|').toStdString();

        expectExitDone(*shell);
        EXPECT_EQ(readBytes(dataPath()), a + b + c);
        if (k.told)
            EXPECT_EQ(readBytes(dataPath() + ".bak"), k.original);
        else
            EXPECT_FALSE(QFile::exists(dataPath() + ".bak"));
    }
}

TEST_F(DamageTest, EntriesBeyondTheLimitAreToldOnceAndKeptInTheBackup) {
    QByteArray original;
    original.reserve(33000 * 40);
    for (int i = 0; i < 33000; ++i)
        original += "46461," + QByteArray::number(i % 1440) + "E-04,3,\"p      \",\"" +
                    QByteArray::number(i) + "\",0,0\r\n";
    writeBytes(dataPath(), original);
    auto shell = startAndLoad(locations());
    ASSERT_TRUE(shell->state().schedule.isLoaded());
    EXPECT_EQ(shell->state().schedule.entries().size(), static_cast<size_t>(MaxDayListEntries));
    ASSERT_EQ(m_prompts.texts().size(), 1);
    EXPECT_TRUE(m_prompts.texts()[0].startsWith(
        QStringLiteral("予定が32767件を超えるため、233件を読み込めませんでした。")));
    EXPECT_TRUE(m_prompts.texts()[0].contains(dataPath() + ".bak」"));
    EXPECT_TRUE(shell->board()->isVisible());
    shell->ticker()->tick(); // the program keeps ticking, without a word
    expectExitDone(*shell);
    EXPECT_EQ(readBytes(dataPath() + ".bak"), original);
    EXPECT_EQ(readBytes(dataPath()).count("\r\n"), MaxDayListEntries);
}

TEST_F(DamageTest, DamageFoundAtTheExitIsToldBeforeTheWrite) {
    // The exit before the first tick reads the file itself.
    const QByteArray original = kTwoEntries + "garbage\r\n";
    writeBytes(dataPath(), original);
    auto shell =
        std::make_unique<Shell>(m_clock, locations(), m_player, m_prompts, m_failures.factory());
    ASSERT_EQ(shell->start(), Shell::StartResult::Running);
    QSignalSpy finished(shell.get(), &Shell::finished);
    shell->requestExit();
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    ASSERT_EQ(m_prompts.texts().size(), 1);
    EXPECT_TRUE(m_prompts.texts()[0].contains(QStringLiteral("（最初は3行目）")));
    EXPECT_EQ(readBytes(dataPath()), kTwoEntries);
    EXPECT_EQ(readBytes(dataPath() + ".bak"), original);
}

TEST_F(DamageTest, GarbageSettingsStartWithDefaultsAndAreReplacedAtExit) {
    struct Case {
        const char* what;
        QByteArray bytes;
        int16_t interval; // what the readable part gives
    };
    const Case cases[] = {
        {"binary noise", QByteArray("\x00\xff\xfe\x12garbage\x80\x81\n\x01[x", 17), 10},
        {"cut inside a character",
         QByteArray("REGEDIT4\n\n[Software\\Merovane\\Tanzo\\Settings]\n\"Interval\"=hex:14,00\n"
                    "\"FontName\"=\"\xef\xbc\xad\xef"),
         20},
        {"stray lines among good ones",
         QByteArray("REGEDIT4\n[Software\\Merovane\\Tanzo\\Settings]\n\"Interval\"=hex:1e,00\n"
                    "what is this\n\"FontSize\"=hex:zz\n"),
         30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Shell::Locations l = locations();
        QDir(QFileInfo(l.settingsFile).absolutePath()).removeRecursively();
        writeBytes(l.settingsFile, c.bytes);
        auto shell = std::make_unique<Shell>(m_clock, l, m_player, m_prompts, m_failures.factory());
        m_prompts.boxes.clear();
        ASSERT_EQ(shell->start(), Shell::StartResult::Running);
        EXPECT_TRUE(m_prompts.texts().isEmpty());
        const Settings& s = shell->state().settings.values();
        EXPECT_EQ(s.interval, c.interval);
        EXPECT_EQ(s.fontName, Settings().fontName);
        EXPECT_EQ(s.fontSize, Settings().fontSize);
        EXPECT_EQ(s.windowSize, Small);
        EXPECT_EQ(readBytes(l.settingsFile + ".damaged"), c.bytes);

        shell->state().settings.update([&](Settings& s) { s.windowSize = Middle; });
        expectExitDone(*shell);
        RegistryStore written(l.settingsFile);
        ASSERT_TRUE(written.load());
        EXPECT_FALSE(written.damaged());
        const auto size = written.value(SettingsRepository::defaultKeyPath(), "WindowSize");
        ASSERT_TRUE(size);
        EXPECT_EQ(size->data, QByteArray("\x01\x00", 2));
        // Only the one copy was kept, and it still holds the damaged bytes.
        EXPECT_FALSE(QFile::exists(l.settingsFile + ".damaged.1"));
        EXPECT_EQ(readBytes(l.settingsFile + ".damaged"), c.bytes);
    }
}

TEST_F(DamageTest, UnwritableSettingsAtExitShowTheMessageAndStillEnd) {
    Shell::Locations l = locations();
    writeBytes(m_dir.filePath(QStringLiteral("blocker")), "a file, not a directory");
    l.settingsFile = m_dir.filePath(QStringLiteral("blocker/settings.reg"));
    writeBytes(dataPath(), kTwoEntries);
    auto shell = startAndLoad(l);
    QSignalSpy finished(shell.get(), &Shell::finished);
    shell->requestExit();
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(m_prompts.texts(), QStringList{kSettingsSaveFailed});
    EXPECT_EQ(readBytes(dataPath()), kTwoEntries);
}

} // namespace
} // namespace tanzo
