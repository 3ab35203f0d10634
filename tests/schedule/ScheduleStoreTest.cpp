#include "schedule/ScheduleStore.h"
#include "../support/TestEntries.h"

#include "support/ManualClock.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace tanzo {
namespace {

const QDate kToday(2027, 3, 15);

ScheduleEntry at(int hour, const QString& place, bool arrived = false) {
    return test::makeEntry(kToday, hour, 0, 3, place, QString(), arrived, arrived);
}

QByteArray fileOf(const DayList& list) {
    QByteArray bytes;
    for (const ScheduleEntry& e : list)
        bytes += encodeEntryLine(e);
    return bytes;
}

class ScheduleStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The watcher needs an event loop.
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "store";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }

    QString path() const { return m_dir.filePath(QStringLiteral("TANZO.DAT")); }
    QByteArray readFile() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // What a text editor or a sync tool does: a new file renamed over the
    // old one.
    void replaceFile(const QByteArray& bytes) {
        QSaveFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        ASSERT_TRUE(f.commit());
    }

    QTemporaryDir m_dir;
    test::ManualClock m_clock{QDateTime(kToday, QTime(9, 0))};
    ScheduleStore m_store{path(), m_clock};
};

TEST_F(ScheduleStoreTest, EachChangeIsWrittenAndAnnouncedOnce) {
    replaceFile(fileOf({at(10, "A"), at(12, "C")}));
    ASSERT_TRUE(m_store.load(kToday));
    using Change = ScheduleStore::Change;
    struct Case {
        const char* what;
        std::function<bool(ScheduleStore&)> call;
        DayList inFile; // afterwards
        Change announced;
    };
    const Case cases[] = {
        {"add",
         [](ScheduleStore& s) { return s.add({at(11, "B")}); },
         {at(10, "A"), at(11, "B"), at(12, "C")},
         Change::List},
        {"notice shown",
         [](ScheduleStore& s) {
             return s.markNotices({{1, true, true}});
         },
         {at(10, "A"), at(11, "B", true), at(12, "C")},
         Change::NoticeFlags},
        // The editor's order is kept in the file; the flags are the caller's.
        {"replace",
         [](ScheduleStore& s) {
             return s.replace({at(12, "C"), at(11, "B", true)});
         },
         {at(12, "C"), at(11, "B", true)},
         Change::List},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSignalSpy changed(&m_store, &ScheduleStore::changed);
        EXPECT_TRUE(c.call(m_store));
        EXPECT_EQ(readFile(), fileOf(c.inFile));
        ASSERT_EQ(changed.count(), 1);
        EXPECT_EQ(changed.at(0).at(0).value<Change>(), c.announced);
    }
    // The replaced list reads back in the order a load gives.
    ASSERT_EQ(m_store.entries().size(), 2u);
    EXPECT_EQ(m_store.entries()[0].place.trimmed(), QStringLiteral("B"));

    // A reload writes nothing and announces once.
    const QByteArray before = readFile();
    QSignalSpy changed(&m_store, &ScheduleStore::changed);
    m_store.load(kToday);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(readFile(), before);
}

TEST_F(ScheduleStoreTest, AFailedWriteChangesNothingButTheNoticeFlags) {
    replaceFile(fileOf({at(10, "A")}));
    ASSERT_TRUE(m_store.load(kToday));
    const QByteArray before = readFile();
    m_store.setFailAfterEntries(0);
    QSignalSpy changed(&m_store, &ScheduleStore::changed);

    EXPECT_FALSE(m_store.add({at(11, "B")}));
    EXPECT_FALSE(m_store.replace({at(11, "B")}));
    EXPECT_EQ(m_store.entries().size(), 1u);
    EXPECT_EQ(changed.count(), 0);

    // A notice given stays given, or it would come again every second.
    EXPECT_FALSE(m_store.markNotices({{0, true, true}}));
    EXPECT_TRUE(m_store.entries()[0].arrived);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(readFile(), before);
}

TEST_F(ScheduleStoreTest, AnotherProgramsReplacementOfTheFileIsPickedUp) {
    replaceFile(fileOf({at(10, "A")}));
    m_store.load(kToday);
    ASSERT_TRUE(m_store.markNotices({{0, true, true}}));
    m_store.watchFile();
    QSignalSpy changed(&m_store, &ScheduleStore::changed);

    // The program's own writes are not taken for someone else's.
    ASSERT_TRUE(m_store.add({at(11, "B")}));
    EXPECT_FALSE(changed.wait(1000));
    ASSERT_EQ(changed.count(), 1);

    // Twice: the watch survives the file being renamed over.
    for (const QString& added : {QStringLiteral("X"), QStringLiteral("Y")}) {
        SCOPED_TRACE(added.toStdString());
        changed.clear();
        const DayList edited{at(10, "A"), at(11, "B"), at(13, added)};
        replaceFile(fileOf(edited));
        ASSERT_TRUE(changed.wait(5000));
        EXPECT_EQ(m_store.entries().size(), 3u);
        EXPECT_EQ(m_store.entries()[2].place.trimmed(), added);
        // The flags set in this run stay on the appointment the editor kept.
        EXPECT_TRUE(m_store.entries()[0].arrived);
        EXPECT_EQ(changed.count(), 1);
    }
}

} // namespace
} // namespace tanzo
