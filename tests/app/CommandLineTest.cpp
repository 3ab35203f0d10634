#include "app/CommandLine.h"
#include "app/ScheduleCommands.h"
#include "platform/Cp932.h"
#include "schedule/ScheduleStore.h"
#include "support/ManualClock.h"
#include "support/TestEntries.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace tanzo {
namespace {

const QDate kToday(2027, 3, 15);
const QDateTime kNow(kToday, QTime(9, 50, 30));

ParsedCommandLine parse(QStringList args) {
    args.prepend(QStringLiteral("tanzo"));
    return parseCommandLine(args);
}

// The form of the arguments: each mistake ends with status 2 and a message
// naming it, before anything is read from the schedule.
TEST(CommandLineParser, RefusesMalformedArguments) {
    QTemporaryDir dir;
    const QString notes = dir.filePath(QStringLiteral("notes.ics"));
    QFile f(notes);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("hello\n");
    f.close();
    struct Case {
        QStringList args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "どれか一つ"},
        {{"--list", "--add"}, "どれか一つ"},
        {{"--frobnicate"}, "使えないオプションです: --frobnicate"},
        {{"-l"}, "使えないオプション"},
        {{"-list"}, "「--」で始めます"},
        {{"--list", "--list"}, "--list が2回以上"},
        {{"-h", "--help"}, "--help が2回以上"}, // one option under two names
        {{"--sync", "--sync"}, "--sync が2回以上"},
        {{"--own-calendar", "https://cal.example/", "--name", "x"}, "は --subscribe と一緒に"},
        {{"--list", "--days"}, "--days"}, // the value is missing
        {{"--list", "--days", "9"}, "日数は1から7"},
        {{"--list", "--days", "0"}, "日数は1から7"},
        {{"--list", "--days", "two"}, "日数は1から7"},
        {{"--days", "2", "--export", "week.ics"}, "--days は --list と一緒に"},
        {{"--list", "today"}, "余分な引数があります: today"},
        {{"--list", "--importance", "重要"}, "--importance は --add と一緒に"},
        {{"--add", "2027-03-16"}, "日付 時刻 行先"},
        {{"--add", "2027-03-16", "10:00", "本社", "備考", "余り"}, "日付 時刻 行先"},
        {{"--add", "2027-02-30", "10:00", "本社"}, "日付が正しくありません"},
        {{"--add", "16.3.2027", "10:00", "本社"}, "日付が正しくありません"},
        {{"--add", "2027-03-16", "25:00", "本社"}, "開始時刻が正しくありません"},
        {{"--add", "2027-03-16", "25:99", "本社"}, "開始時刻が正しくありません"},
        {{"--add", "2027-03-16", "10", "本社"}, "開始時刻が正しくありません"},
        {{"--add", "2027-03-16", "10:00", "本社", "--importance", "特急"}, "重要度は"},
        {{"--import", notes}, "iCalendar形式のファイルではありません"},
        {{"--import", dir.filePath(QStringLiteral("missing.ics"))}, "読み込めませんでした"},
        {{"--import", "/dev/zero"}, "通常のファイルではない"},
        {{"--export", dir.path()}, "通常のファイルではない"},
        {{"--export", "/dev/null"}, "通常のファイルではない"},
        // --user and the others go with --subscribe or --calendars; --name
        // and --calendar with --subscribe only.
        {{"--list", "--user", "me"}, "は --subscribe と一緒に"},
        {{"--calendars", "https://cal.example/", "--calendar", "仕事"}, "は --subscribe と一緒に"},
        {{"--subscribe", "https://cal.example/", "--trust-fingerprint", "AB:CD"},
         "SHA-256指紋（16進64桁）"},
        {{"--subscribe", "仕事", "--interval", "4"}, "同期の間隔は5〜1440分"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine p = parse(c.args);
        const QString what = c.args.join(QLatin1Char(' '));
        EXPECT_EQ(p.status, kStatusBadInput) << qPrintable(what);
        EXPECT_FALSE(p.command) << qPrintable(what);
        EXPECT_TRUE(p.out.isEmpty()) << qPrintable(what);
        EXPECT_TRUE(p.err.contains(QString::fromUtf8(c.message)))
            << qPrintable(what) << ": " << qPrintable(p.err);
    }
}

TEST(CommandLineParser, ReadsEachCommand) {
    struct Case {
        QStringList args;
        std::function<void(const Command&)> check;
    };
    const Case cases[] = {
        {{"--list"}, [](const Command& c) { EXPECT_EQ(c.days, 1); }},
        {{"--days", "7", "--list"},
         [](const Command& c) {
             EXPECT_EQ(c.kind, Command::Kind::List);
             EXPECT_EQ(c.days, 7);
         }},
        {{"--add", "2027/3/16", "9:05", "本社"},
         [](const Command& c) {
             EXPECT_EQ(c.kind, Command::Kind::Add);
             EXPECT_EQ(c.date, QDate(2027, 3, 16));
             EXPECT_EQ(c.time, QTime(9, 5));
             EXPECT_EQ(c.place, "本社");
             EXPECT_TRUE(c.comment.isEmpty());
             EXPECT_EQ(c.status, 3);
         }},
        {{"--importance", "最重要", "--add", "2027-03-16", "10:00", "本社", "資料 持参"},
         [](const Command& c) {
             EXPECT_EQ(c.comment, "資料 持参");
             EXPECT_EQ(c.status, 1);
         }},
        // After "--" a word that starts with a dash is a word.
        {{"--add", "--", "2027-03-16", "10:00", "-本社"},
         [](const Command& c) { EXPECT_EQ(c.place, "-本社"); }},
        {{"--export", "week.ics"},
         [](const Command& c) {
             EXPECT_EQ(c.kind, Command::Kind::Export);
             EXPECT_TRUE(QFileInfo(c.fileName).isAbsolute());
         }},
        // What a running board is handed over the channel arrives whole.
        {{"--subscribe", "https://cal.example/", "--calendar", " 仕事 ", "--interval", "30",
          "--trust-fingerprint",
          "7E:F3:E2:45:D7:57:53:72:5D:6F:F2:28:ED:A2:77:00:D8:C7:BD:C2:6D:3C:BA:AE:30:27:67:67:15:"
          "31:C7:C6"},
         [](const Command& typed) {
             const auto c = Command::fromJson(typed.toJson());
             ASSERT_TRUE(c);
             EXPECT_EQ(c->kind, Command::Kind::Subscribe);
             EXPECT_EQ(c->calendar, "仕事");
             EXPECT_EQ(c->interval, 30);
             EXPECT_EQ(c->fingerprint,
                       "7ef3e245d75753725d6ff228eda27700d8c7bdc26d3cbaae302767671531c7c6");
         }},
        {{"--calendars", "https://cal.example/", "--user", "me"},
         [](const Command& c) {
             EXPECT_EQ(c.kind, Command::Kind::Calendars);
             EXPECT_EQ(c.address, "https://cal.example/");
             EXPECT_EQ(c.user, "me");
         }},
        {{"--own-calendar", "https://cal.example/", "--calendar", "予定", "--user", "me"},
         [](const Command& typed) {
             const auto c = Command::fromJson(typed.toJson());
             ASSERT_TRUE(c);
             EXPECT_EQ(c->kind, Command::Kind::OwnCalendar);
             EXPECT_EQ(c->address, "https://cal.example/");
             EXPECT_EQ(c->calendar, "予定");
             EXPECT_EQ(c->user, "me");
         }},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine p = parse(c.args);
        const QString what = c.args.join(QLatin1Char(' '));
        ASSERT_TRUE(p.command) << qPrintable(what) << ": " << qPrintable(p.err);
        EXPECT_EQ(p.status, 0) << qPrintable(what);
        SCOPED_TRACE(qPrintable(what));
        c.check(*p.command);
    }
    for (const char* help : {"-h", "-?", "--help"}) {
        const ParsedCommandLine p = parse({QString::fromLatin1(help)});
        EXPECT_FALSE(p.command);
        EXPECT_EQ(p.status, 0);
        EXPECT_TRUE(p.out.contains(QStringLiteral("--export FILE.ics"))) << help;
    }
}

// Our options, mistyped ones and bare words are commands; the toolkit's own
// options (with their values) still start the board.
TEST(CommandLineParser, TellsCommandsFromToolkitOptions) {
    const std::pair<std::vector<const char*>, bool> cases[] = {
        {{}, false},
        {{"-platform", "offscreen"}, false},
        {{"-reverse", "-display", ":1"}, false},
        {{"-display", "--list"}, false}, // --list is the display's name
        {{"-platform", "offscreen", "--list"}, true},
        {{"-list"}, true},
        {{"list"}, true},
    };
    for (const auto& [args, wanted] : cases) {
        std::vector<char*> argv{const_cast<char*>("tanzo")};
        for (const char* a : args)
            argv.push_back(const_cast<char*>(a));
        EXPECT_EQ(wantsCommandLine(static_cast<int>(argv.size()), argv.data()), wanted)
            << (args.empty() ? "" : args.front());
    }
}

ScheduleEntry at(int day, int hour, int minute, const QString& place,
                 const QString& comment = QString()) {
    return test::makeEntry(kToday.addDays(day), hour, minute, 3, place, comment);
}

Command addCommand(int day, int hour, int minute, const QString& place,
                   const QString& comment = QString()) {
    Command c;
    c.kind = Command::Kind::Add;
    c.date = kToday.addDays(day);
    c.time = QTime(hour, minute);
    c.place = place;
    c.comment = comment;
    return c;
}

// The commands against a schedule in a temporary folder, each run as the
// command line gives it and as it arrives over the board's channel: both
// must end alike.
class ScheduleCommandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "commands";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        DayList list{at(0, 12, 0, QStringLiteral("本社"), QStringLiteral("定例")),
                     at(1, 10, 30, QStringLiteral("会議室"), QStringLiteral("資料持参")),
                     at(3, 8, 0, QStringLiteral("出張"))};
        QByteArray bytes;
        for (const ScheduleEntry& e : list)
            bytes += encodeEntryLine(e);
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        m_before = readFile();
    }

    QString path() const { return m_dir.filePath(QStringLiteral("TANZO.DAT")); }
    QByteArray readFile() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Runs the command on a freshly loaded store, directly or through the
    // channel's form.
    CommandOutput run(const Command& command, bool overChannel, const QString& file = {}) {
        ScheduleStore store(file.isEmpty() ? path() : file, m_clock);
        store.load(kToday);
        const std::optional<Command> sent =
            overChannel ? Command::fromJson(command.toJson()) : command;
        if (!sent)
            return CommandOutput{-1, {}, {}, false, {}};
        const CommandOutput out = runCommand(*sent, {store, kNow, 5});
        return overChannel ? CommandOutput::fromJson(out.toJson()) : out;
    }

    QTemporaryDir m_dir;
    test::ManualClock m_clock{kNow};
    QByteArray m_before;
};

TEST_F(ScheduleCommandsTest, RefusesWhatTheScheduleCannotTake) {
    struct Case {
        const char* what;
        Command command;
        const char* message;
    };
    Command badDays;
    badDays.days = 8;
    Command badImportance = addCommand(1, 10, 0, QStringLiteral("本社"));
    badImportance.status = 4;
    Command notCalendar;
    notCalendar.kind = Command::Kind::Import;
    notCalendar.fileName = QStringLiteral("notes.ics");
    const Case cases[] = {
        {"eight days", badDays, "日数は1から7"},
        {"importance 4", badImportance, "重要度は"},
        {"a week ahead", addCommand(7, 10, 0, QStringLiteral("本社")), "今日から6日後まで"},
        {"yesterday", addCommand(-1, 10, 0, QStringLiteral("本社")), "今日から6日後まで"},
        {"a minute ago", addCommand(0, 9, 49, QStringLiteral("本社")), "開始時刻が過ぎています"},
        {"eight characters", addCommand(1, 10, 0, QStringLiteral("第一会議室東館三")),
         "行先は7文字以内"},
        {"blank place", addCommand(1, 10, 0, QStringLiteral("　 ")), "行先を指定してください"},
        {"snowman", addCommand(1, 10, 0, QStringLiteral("☃")), "シフトJIS"},
        {"snowman comment", addCommand(1, 10, 0, QStringLiteral("本社"), QStringLiteral("☃")),
         "シフトJIS"},
        {"twice", addCommand(1, 10, 30, QStringLiteral(" 会議室 ")), "既に登録されています"},
        {"no calendar", notCalendar, "iCalendar形式のファイルではありません"},
    };
    for (const Case& c : cases) {
        for (const bool overChannel : {false, true}) {
            SetUp(); // one case's fault must not spill into the next
            const CommandOutput out = run(c.command, overChannel);
            SCOPED_TRACE(std::string(c.what) + (overChannel ? " (channel)" : ""));
            EXPECT_EQ(out.status, kStatusBadInput);
            EXPECT_TRUE(out.err.contains(QString::fromUtf8(c.message))) << qPrintable(out.err);
            EXPECT_TRUE(out.out.isEmpty());
            EXPECT_FALSE(out.changed);
            EXPECT_EQ(readFile(), m_before) << "a refused command wrote the file";
        }
    }
}

TEST_F(ScheduleCommandsTest, ListsAddsImportsAndExports) {
    Command list2;
    list2.days = 2;
    Command imported;
    imported.kind = Command::Kind::Import;
    imported.fileName = QStringLiteral("week.ics");
    imported.imported.refusal = IcsImportResult::Refusal::None;
    imported.imported.isCalendar = true;
    ScheduleEntry noImportance = at(2, 10, 0, QStringLiteral("壊れた"));
    noImportance.status = 0;
    imported.imported.entries = {at(2, 9, 0, QStringLiteral("取引先"), QStringLiteral("打合せ")),
                                 noImportance};
    Command exported;
    exported.kind = Command::Kind::Export;
    struct Case {
        const char* what;
        Command command;
        std::function<void(const CommandOutput&, const QByteArray& file)> check;
    };
    const Case cases[] = {
        {"list today", Command{},
         [](const CommandOutput& out, const QByteArray&) {
             EXPECT_EQ(out.out, "2027-03-15 12:00  普通  本社  定例\n");
         }},
        {"list two days", list2,
         [](const CommandOutput& out, const QByteArray&) {
             EXPECT_EQ(out.out, "2027-03-15 12:00  普通  本社  定例\n"
                                "2027-03-16 10:30  普通  会議室  資料持参\n");
         }},
        // The minute that is running has not passed yet.
        {"add now", addCommand(0, 9, 50, QStringLiteral("本社"), QStringLiteral("〜10時")),
         [](const CommandOutput& out, const QByteArray& file) {
             EXPECT_TRUE(out.changed);
             EXPECT_EQ(out.out, "2027-03-15 09:50  普通  本社  ～10時\n");
             EXPECT_TRUE(
                 file.contains(cp932::encode(QStringLiteral(",\"本社     \",\"～10時\",0,0\r\n"))));
         }},
        {"add the sixth day", addCommand(6, 23, 59, QStringLiteral("ﾃｽﾄ会議")),
         [](const CommandOutput& out, const QByteArray&) { EXPECT_TRUE(out.changed); }},
        {"import", imported,
         [](const CommandOutput& out, const QByteArray& file) {
             EXPECT_TRUE(out.changed);
             EXPECT_TRUE(out.out.contains(QStringLiteral("1件の予定を取り込みました")))
                 << qPrintable(out.out);
             EXPECT_TRUE(out.out.contains(QStringLiteral("正しくありません")));
             EXPECT_EQ(file.count("\r\n"), 4);
         }},
        {"export", exported,
         [](const CommandOutput& out, const QByteArray& file) {
             EXPECT_FALSE(out.changed);
             EXPECT_TRUE(out.fileBytes.startsWith("BEGIN:VCALENDAR"));
             EXPECT_EQ(out.fileBytes.count("BEGIN:VEVENT"), 3);
             EXPECT_TRUE(out.fileBytes.contains("LOCATION:会議室"));
             EXPECT_EQ(file.count("\r\n"), 3);
         }},
    };
    for (const Case& c : cases) {
        for (const bool overChannel : {false, true}) {
            SetUp();
            SCOPED_TRACE(std::string(c.what) + (overChannel ? " (channel)" : ""));
            const CommandOutput out = run(c.command, overChannel);
            EXPECT_EQ(out.status, 0) << qPrintable(out.err);
            EXPECT_TRUE(out.err.isEmpty());
            c.check(out, readFile());
        }
    }
}

// A data file that cannot be written is a failure (1), not a success, and
// the list stays as it was.
TEST_F(ScheduleCommandsTest, ReportsAFailedWrite) {
    // A file where its folder would have to be: not even root can write it.
    QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unwritable = m_dir.filePath(QStringLiteral("blocker/TANZO.DAT"));
    for (const bool overChannel : {false, true}) {
        const CommandOutput out =
            run(addCommand(1, 10, 0, QStringLiteral("本社")), overChannel, unwritable);
        EXPECT_EQ(out.status, kStatusFailed);
        EXPECT_TRUE(out.err.contains(QStringLiteral("書き込みに失敗しました")));
        EXPECT_FALSE(out.changed);
        EXPECT_FALSE(QFile::exists(unwritable));
    }
}

} // namespace
} // namespace tanzo
