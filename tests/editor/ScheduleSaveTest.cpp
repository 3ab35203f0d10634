#include "editor/ScheduleSave.h"
#include "QtPrinters.h"
#include "core/AppContext.h"
#include "support/FailingWriters.h"
#include "support/ManualClock.h"
#include "support/StoredEntries.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tanzo {
namespace {

const QString kSp = QStringLiteral("\u3000");

ListFields fields(const char* y, const char* mo, const char* d, const char* h, const char* mi,
                  QString place = QStringLiteral("会議室") + QString(4, QChar(u'\u3000'))) {
    return ListFields{y, mo, d, "重要" + kSp, place, h, mi, "c" + kSp};
}

// A line added in the editor.
EditorLine line(const char* y, const char* mo, const char* d, const char* h, const char* mi) {
    return {fields(y, mo, d, h, mi), std::nullopt};
}

ScheduleEntry stored(QDate date, int hour, int minute, bool arrived, bool preNoticed) {
    ScheduleEntry e;
    e.dateSerial = daySerial(date);
    e.startTime = timeFraction(hour, minute);
    e.status = 2;
    e.place = fitPlace("old");
    e.arrived = arrived;
    e.preNoticed = preNoticed;
    return e;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

class ScheduleSaveTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    test::ManualClock m_clock{QDateTime(QDate(2000, 9, 6), QTime(9, 0))};
    test::WriteFailures m_failures;
    AppContext m_state{m_clock, m_dir.path() + QLatin1Char('/'), desktopPrompts(),
                       m_failures.factory()};
    int m_announced = 0;

    void SetUp() override {
        QObject::connect(&m_state.schedule, &ScheduleStore::changed, &m_state.schedule,
                         [this] { ++m_announced; });
    }
};

TEST(ScheduleSave, RecordFromFieldsKeepsTheFillingAndMapsTheStatus) {
    ListFields f = fields("2000", "09", "06", "14", "05");
    f.status = QStringLiteral("最重要");
    const auto e = entryFromFields(f);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->dateSerial, daySerial(QDate(2000, 9, 6)));
    EXPECT_EQ(e->startTime, timeFraction(14, 5));
    EXPECT_EQ(e->status, 1);
    EXPECT_EQ(e->place, QStringLiteral("会議室") + QString(4, QChar(u'\u3000')));
    EXPECT_EQ(e->comment, "c" + kSp);

    f.status = QStringLiteral("何か");
    f.place = QStringLiteral("12345678");
    EXPECT_EQ(entryFromFields(f)->status, 3);
    EXPECT_EQ(entryFromFields(f)->place, QStringLiteral("1234567"));
}

TEST(ScheduleSave, FieldsThatAreNoDateOrTimeAreReported) {
    for (const ListFields& f :
         {fields("2000", "02", "30", "10", "00"), fields("2000", "09", "06", "24", "00"),
          fields("2000", "09", "x6", "10", "00"), fields("2000", "09", "06", "10", "")}) {
        QString error;
        EXPECT_FALSE(entryFromFields(f, &error).has_value());
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(ScheduleSave, FlagsComeFromTheFirstEntryAtTheSameDateAndMinute) {
    const QDate day(2000, 9, 6);
    const DayList list{stored(day, 10, 0, true, true), stored(day, 10, 0, false, false),
                       stored(day, 11, 0, false, true)};
    const NoticeFlagLookup lookup(list);
    EXPECT_EQ(lookup.find(daySerial(day), timeFraction(10, 0)), &list[0]);
    EXPECT_EQ(lookup.find(daySerial(day), timeFraction(11, 0)), &list[2]);
    EXPECT_EQ(lookup.find(daySerial(day), timeFraction(11, 1)), nullptr);
    EXPECT_EQ(lookup.find(daySerial(day.addDays(1)), timeFraction(10, 0)), nullptr);
}

TEST_F(ScheduleSaveTest, WritesInTheGivenOrderWithFlagsCarriedOver) {
    const QDate day(2000, 9, 6);
    EXPECT_TRUE(test::storeEntries(
        m_state.schedule, {stored(day, 10, 0, true, true), stored(day, 11, 0, false, true)}));
    m_announced = 0;
    // Bottom of the list first: C, B, A for a list that reads A, B, C.
    const std::vector<EditorLine> lines{
        line("2000", "09", "07", "08", "00"), line("2000", "09", "06", "11", "00"),
        line("2000", "09", "06", "10", "00"), line("2000", "09", "06", "10", "01")};
    const WriteOutcome out = commitSchedule(m_state.schedule.entries(), lines, m_state.schedule);
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(m_announced, 1) << "written and announced once";

    QByteArray expected;
    const bool flags[][2] = {{false, false}, {false, true}, {true, true}, {false, false}};
    for (size_t i = 0; i < lines.size(); ++i) {
        ScheduleEntry e = *entryFromFields(lines[i].fields);
        e.arrived = flags[i][0];
        e.preNoticed = flags[i][1];
        expected += encodeEntryLine(e);
    }
    EXPECT_EQ(readAll(m_state.schedule.path()), expected);
}

TEST_F(ScheduleSaveTest, AFailedWriteLeavesThePreviousFileWhole) {
    const std::vector<EditorLine> before{line("2000", "09", "06", "10", "00")};
    ASSERT_TRUE(commitSchedule({}, before, m_state.schedule).ok);
    const QByteArray previous = readAll(m_state.schedule.path());
    m_state.schedule.load(QDate(2000, 9, 6));
    m_announced = 0;

    m_failures.failAfterWrites = 1;
    const std::vector<EditorLine> after{line("2000", "09", "07", "10", "00"),
                                        line("2000", "09", "08", "10", "00")};
    EXPECT_FALSE(commitSchedule(m_state.schedule.entries(), after, m_state.schedule).ok);
    EXPECT_EQ(readAll(m_state.schedule.path()), previous);
    EXPECT_EQ(m_announced, 0);
}

TEST_F(ScheduleSaveTest, ABadLineAbandonsTheWholeWrite) {
    ASSERT_TRUE(commitSchedule({}, {line("2000", "09", "06", "10", "00")}, m_state.schedule).ok);
    const QByteArray previous = readAll(m_state.schedule.path());
    const WriteOutcome out = commitSchedule(
        {}, {line("2000", "09", "07", "10", "00"), line("2000", "13", "01", "10", "00")},
        m_state.schedule);
    EXPECT_FALSE(out.ok);
    EXPECT_FALSE(out.fieldError.isEmpty());
    EXPECT_EQ(readAll(m_state.schedule.path()), previous);
}

TEST_F(ScheduleSaveTest, AFileThatCannotBeOpenedFailsWithoutAFieldError) {
    // A directory where the data file should be cannot be replaced.
    ASSERT_TRUE(QDir().mkpath(m_state.schedule.path()));
    const WriteOutcome out =
        commitSchedule({}, {line("2000", "09", "06", "10", "00")}, m_state.schedule);
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(out.fieldError.isEmpty());
    EXPECT_EQ(m_announced, 0);
}

} // namespace
} // namespace tanzo
