#include "schedule/ScheduleStore.h"
#include "../support/TestEntries.h"

#include "support/FailingWriters.h"
#include "support/ManualClock.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace tanzo {
namespace {

const QDate kToday(2027, 3, 15);

ScheduleEntry at(int hour, const QString& place, bool arrived = false) {
    return test::makeEntry(kToday, hour, 0, 3, place, QString(), arrived, arrived);
}

QStringList placesOf(const DayList& list) {
    QStringList places;
    for (const ScheduleEntry& e : list)
        places << e.place.trimmed();
    return places;
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
    test::WriteFailures m_failures;
    ScheduleStore m_store{path(), m_clock, m_failures.factory()};
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
        // The editor's order is kept in the file, with the flags the list has.
        {"edit",
         [](ScheduleStore& s) {
             const DayList base = s.entries();
             return s.applyEdit(base, {{at(12, "C"), base[2]}, {at(11, "B"), base[1]}}).ok;
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

TEST(ScheduleMerge, ChangesOfEachSideMeetWithoutLoss) {
    // The editor opened on A 10:00, B 11:00, C 12:00.
    const DayList base{at(10, "A"), at(11, "B"), at(12, "C")};
    const auto kept = [&](int i) { return EditedLine{base[size_t(i)], base[size_t(i)]}; };
    const auto changed = [&](int i, const char* place, int hour = -1) {
        const int h = hour < 0 ? 10 + i : hour;
        return EditedLine{at(h, place), base[size_t(i)]};
    };
    const auto added = [](int hour, const char* place) {
        return EditedLine{at(hour, place), std::nullopt};
    };
    struct Case {
        const char* what;
        DayList current; // what the list became meanwhile
        std::vector<EditedLine> edited;
        QStringList expected; // edited order, then others' additions
        QStringList conflicts;
    };
    const Case cases[] = {
        {"others add, editor deletes",
         {at(10, "A"), at(11, "B"), at(12, "C"), at(13, "D")},
         {kept(0), kept(2)},
         {"A", "C", "D"},
         {}},
        {"others delete, editor changes another",
         {at(11, "B"), at(12, "C")},
         {kept(0), changed(1, "B2"), kept(2)},
         {"B2", "C"},
         {}},
        {"others change, editor leaves it",
         {at(10, "A"), at(11, "B"), at(12, "Cx")},
         {kept(0), kept(1), kept(2)},
         {"A", "B", "Cx"},
         {}},
        {"others change, editor deletes it: the change stays",
         {at(10, "A"), at(11, "Bx"), at(12, "C")},
         {kept(0), kept(2)},
         {"A", "C", "Bx"},
         {}},
        {"both add",
         {at(10, "A"), at(11, "B"), at(12, "C"), at(14, "F")},
         {added(13, "E"), kept(0), kept(1), kept(2)},
         {"E", "A", "B", "C", "F"},
         {}},
        {"both change the same: the editor's version, told",
         {at(10, "A"), at(11, "Bx"), at(12, "C")},
         {kept(0), changed(1, "Be"), kept(2)},
         {"A", "Be", "C"},
         {"Be"}},
        {"both change the same, the others moving it: paired by place and comment",
         {at(10, "A"), at(15, "B"), at(12, "C")},
         {kept(0), changed(1, "B", 16), kept(2)},
         {"A", "B", "C"},
         {"B"}},
        {"editor changes what others deleted: kept, told",
         {at(10, "A"), at(12, "C")},
         {kept(0), changed(1, "Be"), kept(2)},
         {"A", "Be", "C"},
         {"Be"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MergedEdit merged = mergeEdit(base, c.edited, c.current);
        const DayList result = entriesOf(merged.lines);
        EXPECT_EQ(placesOf(result), c.expected);
        EXPECT_EQ(placesOf(merged.conflicts), c.conflicts);
        // Laid over the list it produced, the result changes nothing more:
        // the editor's next save starts from it.
        const MergedEdit again = mergeEdit(result, merged.lines, result);
        EXPECT_EQ(placesOf(entriesOf(again.lines)), c.expected);
        EXPECT_TRUE(again.conflicts.empty());
    }
}

TEST(ScheduleMerge, LinesTakeTheFlagsTheListHasNow) {
    const DayList base{at(10, "A"), at(11, "B")};
    // A's notice was given while the editor was open.
    const DayList current{at(10, "A", true), at(11, "B")};
    const MergedEdit merged = mergeEdit(
        base, {{base[0], base[0]}, {at(10, "A2"), std::nullopt}, {at(12, "B"), base[1]}}, current);
    ASSERT_EQ(merged.lines.size(), 3u);
    EXPECT_TRUE(merged.lines[0].entry.arrived);
    // A new line at the same minute takes them too, as the editor always did.
    EXPECT_TRUE(merged.lines[1].entry.arrived);
    EXPECT_FALSE(merged.lines[2].entry.arrived);
}

TEST_F(ScheduleStoreTest, AWriteFirstTakesInWhatAnotherProgramWrote) {
    replaceFile(fileOf({at(10, "A"), at(12, "C")}));
    ASSERT_TRUE(m_store.load(kToday));
    const DayList opened = m_store.entries();
    // Not watched: every write checks the file all the same.
    replaceFile(fileOf({at(10, "A"), at(12, "C"), at(13, "D")}));
    ASSERT_TRUE(m_store.markNotices({{0, true, true}}));
    EXPECT_EQ(readFile(), fileOf({at(10, "A", true), at(12, "C"), at(13, "D")}));

    replaceFile(fileOf({at(10, "A", true), at(12, "C"), at(13, "D"), at(14, "E")}));
    ASSERT_TRUE(m_store.add({at(11, "B")}));
    EXPECT_EQ(placesOf(m_store.entries()), QStringList({"A", "B", "C", "D", "E"}));

    // The editor, opened before all this, deletes C.
    replaceFile(fileOf({at(10, "A", true), at(11, "B"), at(12, "C"), at(13, "D"), at(15, "F")}));
    const ScheduleStore::EditOutcome edit = m_store.applyEdit(opened, {{opened[0], opened[0]}});
    ASSERT_TRUE(edit.ok);
    EXPECT_EQ(readFile(), fileOf({at(10, "A", true), at(11, "B"), at(13, "D"), at(15, "F")}));
}

TEST_F(ScheduleStoreTest, ALargeFileIsReadBesideTheClockAndNeverOverAWrite) {
    // Blank lines are skipped: one appointment in 5 MB.
    replaceFile(fileOf({at(10, "A")}) + QByteArray(5 << 20, ' ') + "\r\n");
    QSignalSpy changed(&m_store, &ScheduleStore::changed);
    m_store.refresh(kToday);
    EXPECT_FALSE(m_store.isLoaded()) << "read on the clock's thread";
    m_store.refresh(kToday); // a tick meanwhile starts no second read
    ASSERT_TRUE(changed.wait(10000));
    EXPECT_EQ(placesOf(m_store.entries()), QStringList({"A"}));

    // A write while a worker reads: the write reads what it needs itself,
    // and the worker's older reading is not taken over it.
    replaceFile(readFile() + fileOf({at(12, "C")}));
    m_store.refresh(kToday);
    changed.clear();
    ASSERT_TRUE(m_store.add({at(11, "B")}));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_FALSE(changed.wait(1500));
    EXPECT_EQ(placesOf(m_store.entries()), QStringList({"A", "B", "C"}));
}

TEST_F(ScheduleStoreTest, AFailedWriteChangesNothingButTheNoticeFlags) {
    replaceFile(fileOf({at(10, "A")}));
    ASSERT_TRUE(m_store.load(kToday));
    const QByteArray before = readFile();
    m_failures.failAfterWrites = 0;
    QSignalSpy changed(&m_store, &ScheduleStore::changed);

    EXPECT_FALSE(m_store.add({at(11, "B")}));
    EXPECT_FALSE(m_store.applyEdit(m_store.entries(), {{at(11, "B"), std::nullopt}}).ok);
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
