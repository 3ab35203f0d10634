// Damaged files at the level of the readers and writers: values no calendar
// reaches, text that is not code page 932, a damaged settings file that
// cannot be copied aside, a lock file left empty by a crash.
#include "SmallFileSystem.h"

#include "platform/RegistryStore.h"
#include "platform/SingleInstance.h"
#include "schedule/DataFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace tanzo {
namespace {

const QDate kToday(2027, 3, 15); // day serial 46461

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

class DamagedFiles : public ::testing::Test {
protected:
    QString path(const char* name = "TANZO.DAT") const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(DamagedFiles, DatesBeyondAnyCalendarReadAsNoDate) {
    for (double serial : {1e30, -1e30, 3.4e38, 1e13, std::nan("")}) {
        SCOPED_TRACE(serial);
        EXPECT_FALSE(dateFromSerial(serial).isValid());
    }
    EXPECT_EQ(dateFromSerial(46461.0), kToday);
    EXPECT_EQ(dateFromSerial(2958465.0), QDate(9999, 12, 31));

    // Such a line cannot be shown or saved again by the editor: the reader
    // leaves it out as damage, to be kept in the backup, and reads on.
    DataFile file(path());
    DayList list;
    EXPECT_FALSE(file.loadBytes("3.4E+38,.5,3,\"far\",\"\",0,0\r\n"
                                "46461,.5,3,\"near\",\"\",0,0\r\n",
                                list, kToday));
    EXPECT_EQ(file.lastLoad().unreadable, 1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].date(), kToday);
    EXPECT_TRUE(file.needsBackupBeforeWrite());
}

TEST_F(DamagedFiles, TextOutsideTheCodePageIsLeftOutAndKeptInABackup) {
    struct Case {
        const char* what;
        QByteArray line;
        int unreadable;
        int kept;
    };
    const Case cases[] = {
        {"lead byte before a space", "46461,.5,3,\"\x82 x\",\"\",0,0\r\n", 1, 2},
        {"unused byte", "46462,.5,3,\"p\",\"note \xfd\",0,0\r\n", 1, 2},
        {"lead byte before the closing quote", "46462,.5,3,\"p\",\"\x8e\",0,0\r\n", 1, 2},
        // Past the six days the entry is dropped anyway: nothing to keep.
        {"dropped by age", "46400,.5,3,\"p\",\"\xfd\",0,0\r\n", 0, 2},
        // Double-byte text of the page itself is no reason for a copy.
        {"clean", "46461,.5,3,\"\x89\xef\x8b\x63\x8e\xba\",\"\x8e\x91\x97\xbf\",0,0\r\n", 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path("TANZO.DAT.bak"));
        const QByteArray ok = "46461,.25,3,\"ok     \",\"\",0,0\r\n";
        const QByteArray original = ok + c.line + ok;
        writeBytes(path(), original);
        DataFile file(path());
        DayList list;
        EXPECT_EQ(file.load(list, kToday), c.unreadable == 0);
        EXPECT_EQ(file.lastLoad().unreadable, c.unreadable);
        EXPECT_EQ(file.lastLoad().kept, c.kept);
        EXPECT_EQ(file.needsBackupBeforeWrite(), c.unreadable > 0);
        ASSERT_TRUE(file.save(list));
        if (c.unreadable > 0) {
            EXPECT_EQ(readBytes(path("TANZO.DAT.bak")), original);
            // Nothing was written back as '?' or U+FFFD.
            EXPECT_EQ(readBytes(path()), ok + ok);
        } else {
            EXPECT_FALSE(QFile::exists(path("TANZO.DAT.bak")));
        }
    }
}

TEST_F(DamagedFiles, ReadingBytesAndReadingTheFileAgree) {
    const QByteArray bytes = "46462,.5,3,\"b\",\"\",0,0\r\n46461,.5,3,\"a\",\"\",0,0\r\n46463,x";
    writeBytes(path(), bytes);
    DataFile fromFile(path());
    DataFile fromBytes(path());
    DayList a;
    DayList b;
    EXPECT_FALSE(fromFile.load(a, kToday));
    EXPECT_FALSE(fromBytes.loadBytes(bytes, b, kToday));
    EXPECT_EQ(fromFile.lastLoad().lineNumber, 3);
    EXPECT_EQ(fromBytes.lastLoad().lineNumber, 3);
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(encodeEntryLine(a[0]), encodeEntryLine(b[0]));
    EXPECT_EQ(fromFile.takeLoadNotice(), fromBytes.takeLoadNotice());
    EXPECT_EQ(fromBytes.needsBackupBeforeWrite(), fromFile.needsBackupBeforeWrite());
    // A clean read clears what an earlier damaged one asked for.
    EXPECT_TRUE(fromBytes.loadBytes("46461,.5,3,\"a\",\"\",0,0\r\n", b, kToday));
    EXPECT_FALSE(fromBytes.needsBackupBeforeWrite());
}

TEST_F(DamagedFiles, DamagedSettingsThatCouldNotBeCopiedAreNotOverwritten) {
    const QString dir = m_dir.filePath("small");
    SmallFileSystem fs(dir, QStringLiteral("96k"));
    if (!fs.mounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root and the right)";
    const QString file = dir + "/settings.reg";
    // Large enough that no copy fits once the disk is full, while a small
    // settings file still would.
    QByteArray damaged =
        "REGEDIT4\n[Software\\Merovane\\Tanzo\\Settings]\n\"Interval\"=hex:14,00\n";
    damaged += QByteArray(40 * 1024, '#').replace(0, 1, "\xff");
    writeBytes(file, damaged);
    fs.fill(16 * 1024);

    RegistryStore store(file);
    ASSERT_TRUE(store.load());
    EXPECT_TRUE(store.damaged());
    fs.spare(); // room for a small file, not for the copy
    ASSERT_TRUE(store.setValue("Software\\Merovane\\Tanzo\\Settings", "WindowSize",
                               {RegistryStore::Type::Binary, QByteArray("\x01\x00", 2)}));
    EXPECT_FALSE(store.save());
    EXPECT_EQ(readBytes(file), damaged);

    fs.drain(); // once the copy can be made, the save goes through
    EXPECT_TRUE(store.save());
    EXPECT_EQ(readBytes(store.damagedCopyPath()), damaged);
    RegistryStore again(file);
    ASSERT_TRUE(again.load());
    EXPECT_FALSE(again.damaged());
}

TEST_F(DamagedFiles, DamagedSettingsWriteBackAFileThatReadsCleanly) {
    // A NUL in a key's or a value's name cannot be written back as text.
    static const char kNulInNames[] = "REGEDIT4\n[Software\\A]\n\"x\"=hex:01,02\n[So\0ft]\n"
                                      "\"z\"=hex:03\n[Software\\A]\n\"n\0m\"=hex:04\n";
    const QByteArray damaged[] = {
        "junk\n[Software\\A]\n\"x\"=hex:01,02\n\"y\"=\"\xe3\x81\x82\"\n",
        QByteArray(kNulInNames, sizeof kNulInNames - 1),
        "REGEDIT4\n[Software\\A]\n\"x\"=hex:01,02\n\"bad\"=hex:0\n\xff\xfe\n",
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        RegistryStore store(path("settings.reg"));
        EXPECT_FALSE(store.parse(bytes));
        EXPECT_TRUE(store.damaged());
        EXPECT_EQ(store.value("software\\a", "X")->data, QByteArray("\x01\x02", 2));
        EXPECT_FALSE(store.keyExists(QStringLiteral("So") + QChar(0) + QStringLiteral("ft")));
        const QByteArray written = store.serialise();
        RegistryStore again(path("settings.reg"));
        EXPECT_TRUE(again.parse(written));
        EXPECT_EQ(again.serialise(), written);
    }
    EXPECT_FALSE(QFile::exists(path("settings.reg"))); // no file was touched
}

TEST_F(DamagedFiles, FullDiskLeavesEveryFileWholeAndNoCutCopy) {
    const QString dir = m_dir.filePath("full");
    SmallFileSystem fs(dir, QStringLiteral("128k"));
    if (!fs.mounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root and the right)";
    QByteArray data;
    for (int i = 0; i < 300; ++i)
        data += "46461,.5,3,\"p\",\"comment " + QByteArray::number(i) + "\",0,0\r\n";
    const QByteArray damaged = data + "46461,garbage\r\n";
    writeBytes(dir + "/TANZO.DAT", damaged);
    RegistryStore settings(dir + "/settings.reg");
    ASSERT_TRUE(settings.setValue("Software\\A", "x", {RegistryStore::Type::Binary, "\x01"}));
    ASSERT_TRUE(settings.save());
    const QByteArray settingsBefore = readBytes(dir + "/settings.reg");

    DataFile file(dir + "/TANZO.DAT");
    DayList list;
    EXPECT_FALSE(file.load(list, kToday));
    list.push_back(list.back());
    ASSERT_TRUE(settings.setValue("Software\\A", "y", {RegistryStore::Type::Binary, "\x02"}));
    fs.fill(0);
    EXPECT_FALSE(file.save(list));
    EXPECT_FALSE(settings.save());
    EXPECT_EQ(readBytes(dir + "/TANZO.DAT"), damaged);
    EXPECT_EQ(readBytes(dir + "/settings.reg"), settingsBefore);
    // No copy was made that could pass for the whole file.
    QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{"TANZO.DAT", "filler", "settings.reg"}));

    fs.drain();
    EXPECT_TRUE(file.save(list));
    EXPECT_EQ(readBytes(file.lastBackupPath()), damaged);
    EXPECT_TRUE(settings.save());
}

TEST_F(DamagedFiles, LockFileLeftEmptyOrGarbledDoesNotBlockStarting) {
    for (const QByteArray& content : {QByteArray(), QByteArray("\x01\x02garbage")}) {
        SCOPED_TRACE(content.toHex().toStdString());
        const QString lock = path("tanzo.lock");
        writeBytes(lock, content);
        // Just made: another instance may be filling it in this moment.
        EXPECT_FALSE(SingleInstance(lock).tryAcquire());
        QFile file(lock);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                     QFileDevice::FileModificationTime));
        file.close();
        SingleInstance instance(lock);
        EXPECT_TRUE(instance.tryAcquire());
        // Now it is a real lock again.
        SingleInstance second(lock);
        EXPECT_FALSE(second.tryAcquire());
    }
}

} // namespace
} // namespace tanzo
