#include "schedule/DataFile.h"
#include "../support/TestEntries.h"
#include "schedule/LoadNotice.h"

#include "platform/Cp932.h"
#include "support/FailingWriters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace tanzo {
namespace {

const QDate kToday(2027, 3, 15);

ScheduleEntry entry(QDate date, int hour, int minute, int16_t status, const QString& place,
                    const QString& comment, bool arrived = false, bool preNoticed = false) {
    return test::makeEntry(date, hour, minute, status, place, comment, arrived, preNoticed);
}

class DataFileTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("TANZO.DAT")); }

    void writeBytes(const QByteArray& bytes, const QString& where = {}) {
        QFile f(where.isEmpty() ? path() : where);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readBytes(const QString& where = {}) const {
        QFile f(where.isEmpty() ? path() : where);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // One line in the file's own form, Japanese text in code page 932.
    static QByteArray line(const QString& text) { return cp932::encode(text) + "\r\n"; }

    QTemporaryDir m_dir;
};

TEST_F(DataFileTest, EncodesTheDocumentedExampleLineByteForByte) {
    const ScheduleEntry e =
        entry(QDate(2024, 5, 1), 10, 30, 2, QStringLiteral("会議室"), QStringLiteral("資料持参"));
    const QByteArray expected = "45413,.4375,2,\"\x89\xef\x8b\x63\x8e\xba    \",\""
                                "\x8e\x91\x97\xbf\x8e\x9d\x8e\x51\",0,0\r\n";
    EXPECT_EQ(encodeEntryLine(e), expected);
}

TEST_F(DataFileTest, RoundTripKeepsEveryFieldAndTheMinute) {
    const QDate day = kToday.addDays(1);
    const DayList written = {
        entry(day, 0, 0, 1, QStringLiteral("本社"), QString()),
        entry(day, 0, 1, 2, QStringLiteral("会議室"), QStringLiteral("資料持参"), true, false),
        entry(day, 9, 59, 3, QStringLiteral("ｶｲｷﾞｼﾂ"), QStringLiteral("half-width"), false, true),
        entry(day, 10, 0, 3, QStringLiteral("ABCDEFG"), QStringLiteral("a,b"), true, true),
        entry(day, 23, 59, 3, QStringLiteral("x"), QStringLiteral("最後")),
    };
    DataFile file(path());
    ASSERT_TRUE(file.save(written));
    DayList read;
    ASSERT_TRUE(file.load(read, kToday));
    ASSERT_EQ(read.size(), written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read[i].dateSerial, written[i].dateSerial);
        EXPECT_EQ(read[i].startTime, written[i].startTime);
        EXPECT_EQ(read[i].startHourMinute(), written[i].startHourMinute());
        EXPECT_EQ(read[i].status, written[i].status);
        EXPECT_EQ(read[i].place, written[i].place);
        EXPECT_EQ(read[i].comment, written[i].comment);
        EXPECT_EQ(read[i].arrived, written[i].arrived);
        EXPECT_EQ(read[i].preNoticed, written[i].preNoticed);
    }
    EXPECT_EQ(read[1].startHourMinute(), (HourMinute{0, 1}));
    EXPECT_EQ(read[3].startHourMinute(), (HourMinute{10, 0}));
    EXPECT_EQ(readBytes(), [&] {
        QByteArray all;
        for (const auto& e : written)
            all += encodeEntryLine(e);
        return all;
    }());
}

TEST_F(DataFileTest, KeepsEntriesOfTheLastSixDaysOnly) {
    DataFile file(path());
    ASSERT_TRUE(file.save({entry(kToday.addDays(-7), 9, 0, 3, "old", ""),
                           entry(kToday.addDays(-6), 9, 0, 3, "kept", ""),
                           entry(kToday, 9, 0, 3, "today", "")}));
    DayList list;
    ASSERT_TRUE(file.load(list, kToday));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].place, fitPlace("kept"));
    EXPECT_EQ(file.lastLoad().dropped, 1);
    EXPECT_EQ(file.lastLoad().kept, 2);
    EXPECT_FALSE(file.needsBackupBeforeWrite());
}

TEST_F(DataFileTest, EmptyOrMissingFileGivesThePlaceholder) {
    DataFile file(path());
    DayList list = {entry(kToday, 1, 0, 3, "stale", "")};
    EXPECT_TRUE(file.load(list, kToday));
    EXPECT_TRUE(holdsNoAppointment(list));
    ASSERT_EQ(list.size(), 1u);

    writeBytes("");
    EXPECT_TRUE(file.load(list, kToday));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].dateSerial, 0);
    EXPECT_EQ(list[0].place, placeholderPlace());
}

TEST_F(DataFileTest, PlaceholderIsWrittenAsOneLineThatTheNextReadDrops) {
    DataFile file(path());
    ASSERT_TRUE(file.save(placeholderDayList()));
    EXPECT_EQ(readBytes(), QByteArray("0,0,0,\"\0\0\0\0\0\0\0\",\"\",0,0\r\n", 24));
    DayList list;
    EXPECT_TRUE(file.load(list, kToday));
    EXPECT_TRUE(holdsNoAppointment(list));
    EXPECT_EQ(file.lastLoad().dropped, 1);
}

TEST_F(DataFileTest, PlaceIsCutOrPaddedToSevenCharacters) {
    writeBytes(line(QStringLiteral("46461,.5,3,\"東京都千代田区丸の内\",\"\",0,0")) +
               line(QStringLiteral("46462,.5,3,\"AB\",\"\",0,0")));
    DataFile file(path());
    DayList list;
    ASSERT_TRUE(file.load(list, kToday));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].place, QStringLiteral("東京都千代田区"));
    EXPECT_EQ(list[1].place, QStringLiteral("AB     "));
    ASSERT_TRUE(file.save(list));
    EXPECT_TRUE(readBytes().contains("\"AB     \""));
}

TEST_F(DataFileTest, ReadsEveryNumberForm) {
    struct Case {
        const char* text;
        float date;
        float time;
        int16_t status;
        bool arrived;
    };
    const Case cases[] = {
        {"46461,.4375,2,\"p\",\"c\",-1,0", 46461, 0.4375f, 2, true},
        {"46461,0.4375,2,\"p\",\"c\",0,0", 46461, 0.4375f, 2, false},
        {"46461.0,6.944445E-04,3,\"p\",\"c\",1,0", 46461, 6.944445E-04f, 3, true},
        {"4.6461E+04,6.944445e-4,+1,\"p\",\"c\",0,0", 46461, 6.944445E-04f, 1, false},
        {" 46461 , .5 ,3, \"p\" ,\"c\",0,0", 46461, 0.5f, 3, false},
        // A byte-order mark before the first line is not part of it.
        {"\xEF\xBB\xBF"
         "46461,.5,3,\"p\",\"c\",0,0",
         46461, 0.5f, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        writeBytes(QByteArray(c.text) + "\r\n");
        DataFile file(path());
        DayList list;
        ASSERT_TRUE(file.load(list, kToday));
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].dateSerial, c.date);
        EXPECT_EQ(list[0].startTime, c.time);
        EXPECT_EQ(list[0].status, c.status);
        EXPECT_EQ(list[0].arrived, c.arrived);
        EXPECT_EQ(list[0].comment, "c");
    }
}

TEST_F(DataFileTest, OrdersTheListWhateverTheLineOrder) {
    writeBytes(line("46463,.5,3,\"c\",\"\",0,0") + line("46461,.75,3,\"b\",\"\",0,0") +
               line("46461,.25,3,\"a\",\"\",0,0") + "\r\n");
    DataFile file(path());
    DayList list;
    ASSERT_TRUE(file.load(list, kToday));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].place.trimmed(), "a");
    EXPECT_EQ(list[1].place.trimmed(), "b");
    EXPECT_EQ(list[2].place.trimmed(), "c");
}

TEST_F(DataFileTest, DamagedLinesAreLeftOutTheReadGoesOnAndTheOriginalIsKept) {
    const QByteArray c = line("46463,.5,3,\"c\",\"\",0,0");
    const QByteArray b = line("46461,.5,3,\"b\",\"\",0,0");
    const QByteArray d = line("46464,.5,3,\"d\",\"\",0,0");
    struct Case {
        const char* what;
        QByteArray damaged; // the third line
        QByteArray after;
    };
    const Case cases[] = {
        {"bad time", line("46462,half past,3,\"x\",\"\",0,0"), d},
        {"status out of range", line("46462,.5,70000,\"x\",\"\",0,0"), d},
        // Too few fields: the next line's are never taken for the missing ones.
        {"too few fields", line("46462,.5,3"), d},
        {"quote not closed on its line", line("46462,.5,3,\"x\",\"unterminated"), d},
        {"text after a quote", line("46462,.5,3,\"x\"y,\"\",0,0"), d},
        {"a field too many", line("46462,.5,3,\"x\",\"\",0,0,0"), d},
        {"date no calendar shows", line("1E+30,.5,3,\"x\",\"\",0,0"), d},
        {"after the last day", line("2958466,.5,3,\"x\",\"\",0,0"), d},
        {"bytes outside the code page", "46462,.5,3,\"\x82 x\",\"\xfd\",0,0\r\n", d},
        {"cut at the end", "46462,.5,3", {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const QByteArray original = c + b + k.damaged + k.after;
        QFile::remove(path() + ".bak");
        writeBytes(original);
        DataFile file(path());
        DayList list;
        EXPECT_FALSE(file.load(list, kToday));
        EXPECT_FALSE(file.lastLoad().ok);
        EXPECT_EQ(file.lastLoad().unreadable, 1);
        EXPECT_EQ(file.lastLoad().lineNumber, 3);
        // Every readable line is in the list, ordered.
        QStringList places;
        for (const ScheduleEntry& e : list)
            places << e.place.trimmed();
        EXPECT_EQ(places,
                  k.after.isEmpty() ? QStringList({"b", "c"}) : QStringList({"b", "c", "d"}));
        EXPECT_TRUE(file.needsBackupBeforeWrite());

        ASSERT_TRUE(file.save(list));
        EXPECT_EQ(readBytes(path() + ".bak"), original);
        EXPECT_EQ(file.lastBackupPath(), path() + ".bak");
        EXPECT_FALSE(file.needsBackupBeforeWrite());
        EXPECT_EQ(readBytes().count("\r\n"), places.size());
    }
}

TEST_F(DataFileTest, EachLossIsToldOnceWithItsCountFirstLineAndBackup) {
    writeBytes(line("46461,.5,3,\"a\",\"\",0,0") + line("garbage") +
               line("46462,.5,3,\"b\",\"\",0,0") + line("46462,.5") + "\r\n");
    DataFile file(path());
    DayList list;
    EXPECT_FALSE(file.load(list, kToday));
    EXPECT_EQ(file.lastLoad().unreadable, 2);
    EXPECT_EQ(file.lastLoad().lineNumber, 2);
    EXPECT_EQ(file.takeLoadNotice(),
              QStringLiteral("スケジュールデータの2行を読み込めませんでした（最初は2行目）。"
                             "読み込めなかった予定は表示されません。\n元のデータは「") +
                  path() + QStringLiteral("」にあり、次に書き込む前に「") + path() +
                  QStringLiteral(".bak」へ保存されます。"));
    EXPECT_EQ(file.takeLoadNotice(), QString());
    // Reading the same file again (the next day) tells nothing new.
    EXPECT_FALSE(file.load(list, kToday));
    EXPECT_EQ(file.takeLoadNotice(), QString());
    // Once written (and the original kept), a new loss is told again, with
    // the name the next copy will take.
    ASSERT_TRUE(file.save(list));
    writeBytes(line("garbage"));
    EXPECT_FALSE(file.load(list, kToday));
    EXPECT_TRUE(file.takeLoadNotice().contains(path() + ".bak.1」"));

    DataFile::LoadReport limit;
    limit.overLimit = true;
    limit.leftOut = 233;
    EXPECT_EQ(
        loadNoticeText(limit, "/d/TANZO.DAT", "/d/TANZO.DAT.bak"),
        QStringLiteral("予定が32767件を超えるため、233件を読み込めませんでした。"
                       "読み込めなかった予定は表示されません。\n元のデータは「/d/"
                       "TANZO.DAT」にあり、次に書き込む前に「/d/TANZO.DAT.bak」へ保存されます。"));
    EXPECT_EQ(loadNoticeText(DataFile::LoadReport{}, "/d/TANZO.DAT", "/d/TANZO.DAT.bak"), "");
}

TEST_F(DataFileTest, AnOlderBackupIsNeverReplaced) {
    writeBytes("older backup", path() + ".bak");
    writeBytes(line("46461,.5,3,\"b\",\"\",0,0") + "garbage\r\n");
    const QByteArray damaged = readBytes();
    DataFile file(path());
    DayList list;
    EXPECT_FALSE(file.load(list, kToday));
    ASSERT_TRUE(file.save(list));
    EXPECT_EQ(readBytes(path() + ".bak"), "older backup");
    EXPECT_EQ(file.lastBackupPath(), path() + ".bak.1");
    EXPECT_EQ(readBytes(path() + ".bak.1"), damaged);
    // A clean file is overwritten without a further copy.
    ASSERT_TRUE(file.load(list, kToday));
    ASSERT_TRUE(file.save(list));
    EXPECT_FALSE(QFile::exists(path() + ".bak.2"));
}

TEST_F(DataFileTest, QuotesAndLineEndsInTextCannotBreakTheLine) {
    const ScheduleEntry e = entry(kToday, 9, 0, 3, QStringLiteral("A\"B\r\nC"),
                                  QStringLiteral("say \"hi\"\r\nnext line\nend"));
    const QByteArray bytes = encodeEntryLine(e);
    EXPECT_EQ(bytes.count("\r\n"), 1);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    DataFile file(path());
    ASSERT_TRUE(file.save({e}));
    DayList list;
    ASSERT_TRUE(file.load(list, kToday));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].place, QStringLiteral("A＂B  C "));
    EXPECT_EQ(list[0].comment, QStringLiteral("say ＂hi＂  next line end"));
}

TEST_F(DataFileTest, MoreEntriesThanTheListHoldsAreKeptInABackup) {
    QByteArray content;
    const int total = 33000;
    for (int i = 0; i < total; ++i)
        content += "46461," + QByteArray::number(i % 1440) + "E-04,3,\"p\",\"" +
                   QByteArray::number(i) + "\",0,0\r\n";
    writeBytes(content);
    DataFile file(path());
    DayList list;
    EXPECT_TRUE(file.load(list, kToday));
    EXPECT_EQ(list.size(), static_cast<size_t>(MaxDayListEntries));
    EXPECT_TRUE(file.lastLoad().overLimit);
    EXPECT_EQ(file.lastLoad().leftOut, 233);
    EXPECT_TRUE(file.takeLoadNotice().startsWith(
        QStringLiteral("予定が32767件を超えるため、233件を読み込めませんでした。")));
    EXPECT_TRUE(file.needsBackupBeforeWrite());
    ASSERT_TRUE(file.save(list));
    EXPECT_EQ(readBytes(path() + ".bak"), content);
}

TEST_F(DataFileTest, FailedWriteLeavesThePreviousFileWhole) {
    test::WriteFailures failures;
    DataFile file(path(), failures.factory());
    const DayList before = {entry(kToday, 9, 0, 3, "one", ""), entry(kToday, 10, 0, 3, "two", "")};
    ASSERT_TRUE(file.save(before));
    const QByteArray original = readBytes();
    DayList longer = before;
    for (int i = 0; i < 5; ++i)
        longer.push_back(entry(kToday, 11, i, 3, "more", ""));

    failures.failAfterWrites = 3;
    EXPECT_FALSE(file.save(longer));
    EXPECT_EQ(readBytes(), original);

    auto writer = file.openForWrite();
    ASSERT_TRUE(writer);
    EXPECT_TRUE(writer->write(longer[0]));
    EXPECT_TRUE(writer->write(longer[1]));
    EXPECT_TRUE(writer->write(longer[2]));
    EXPECT_FALSE(writer->write(longer[3]));
    EXPECT_FALSE(writer->commit());
    EXPECT_EQ(readBytes(), original);

    failures.failAfterWrites = -1;
    writer = file.openForWrite();
    ASSERT_TRUE(writer);
    EXPECT_TRUE(writer->write(longer[0]));
    writer.reset(); // abandoned without commit
    EXPECT_EQ(readBytes(), original);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"TANZO.DAT"});
}

TEST_F(DataFileTest, UnwritablePlacesFailWithoutTouchingAnything) {
    writeBytes("a file, not a directory", m_dir.filePath("blocker"));
    DataFile underFile(m_dir.filePath("blocker/TANZO.DAT"));
    EXPECT_EQ(underFile.openForWrite(), nullptr);
    EXPECT_FALSE(underFile.save(placeholderDayList()));

    const QString readOnly = m_dir.filePath("ro");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    DataFile inReadOnly(readOnly + "/TANZO.DAT");
    ASSERT_TRUE(inReadOnly.save(placeholderDayList()));
    const QByteArray original = readBytes(readOnly + "/TANZO.DAT");
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    if (geteuid() != 0) { // the superuser writes anyway
        EXPECT_FALSE(inReadOnly.save({entry(kToday, 9, 0, 3, "new", "")}));
        EXPECT_EQ(readBytes(readOnly + "/TANZO.DAT"), original);
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(DataFileTest, DirectoryInPlaceOfTheFileIsAFailedRead) {
    ASSERT_TRUE(QDir().mkpath(path()));
    DataFile file(path());
    DayList list;
    EXPECT_FALSE(file.load(list, kToday));
    EXPECT_TRUE(holdsNoAppointment(list));
    EXPECT_FALSE(file.save(list));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

} // namespace
} // namespace tanzo
