#include "alarm/AlarmEvaluator.h"
#include "alarm/Ticker.h"
#include "schedule/ScheduleStore.h"
#include "support/ManualClock.h"
#include "support/RecordingSoundPlayer.h"
#include "support/StoredEntries.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace tanzo {
namespace {

const QDate kToday(2027, 3, 15);

struct Notice {
    QString place;
    QString comment;
    int kind;
    bool operator==(const Notice&) const = default;
};

ScheduleEntry entryAt(QDate date, int hour, int minute, const QString& place = "会議室",
                      const QString& comment = {}) {
    ScheduleEntry e;
    e.dateSerial = daySerial(date);
    e.startTime = timeFraction(hour, minute);
    e.status = 3;
    e.place = fitPlace(place);
    e.comment = comment;
    return e;
}

// Drives the program's ticker over a store holding `list`, one second's
// work per tick() at the clock's time. The notices it hands out are
// collected and reported on the screen at once, as a notice window does
// once painted.
class AlarmEvaluatorTest : public ::testing::Test {
protected:
    AlarmEvaluatorTest() {
        clock.set(kToday, QTime(0, 0));
        setList({entryAt(kToday, 10, 0)});
        QObject::connect(&ticker, &Ticker::startNoticeGiven, [this] { ++startsGiven; });
    }
    // The list as the store would have read it from the file.
    void setList(DayList entries) { EXPECT_TRUE(test::storeEntries(store, std::move(entries))); }
    const DayList& list() const { return store.entries(); }
    // True when the tick gave a start notice.
    bool tick() {
        const int before = startsGiven;
        ticker.tick();
        return startsGiven > before;
    }
    void at(int h, int m, int s = 0) { clock.set(kToday, QTime(h, m, s)); }
    std::vector<int> kinds() const {
        std::vector<int> k;
        for (const Notice& n : notices)
            k.push_back(n.kind);
        return k;
    }

    QTemporaryDir dir;
    test::ManualClock clock;
    Settings settings; // PreAlarm 5 minutes, AlarmSkip 5 minutes
    ScheduleStore store{dir.filePath(QStringLiteral("TANZO.DAT")), clock};
    test::RecordingSoundPlayer sound;
    std::vector<Notice> notices;
    Ticker ticker{
        clock, store, settings, sound,
        [this](const QString& place, const QString& comment, int kind, int, NoticeShown shown) {
            notices.push_back({place, comment, kind});
            shown();
        }};
    int startsGiven = 0;
};

TEST_F(AlarmEvaluatorTest, WalksAnEntryThroughAdvanceStartAndSettled) {
    struct Step {
        QTime time;
        std::vector<int> kindsSoFar;
        bool returned;
    };
    const std::vector<Step> steps = {
        {QTime(9, 54, 59), {}, false},
        {QTime(9, 55, 0), {AdvanceNotice}, false},
        {QTime(9, 55, 59), {AdvanceNotice}, false}, // once only
        {QTime(9, 59, 59), {AdvanceNotice}, false},
        {QTime(10, 0, 0), {AdvanceNotice, StartNotice}, true},
        {QTime(10, 0, 59), {AdvanceNotice, StartNotice}, false},
        {QTime(10, 1, 0), {AdvanceNotice, StartNotice}, false},
        {QTime(23, 59, 59), {AdvanceNotice, StartNotice}, false},
    };
    for (const Step& step : steps) {
        clock.set(kToday, step.time);
        EXPECT_EQ(tick(), step.returned) << step.time.toString().toStdString();
        EXPECT_EQ(kinds(), step.kindsSoFar) << step.time.toString().toStdString();
    }
    EXPECT_TRUE(list()[0].arrived);
    EXPECT_TRUE(list()[0].preNoticed);
}

TEST_F(AlarmEvaluatorTest, StartNoticeAnywhereInTheStartMinute) {
    at(10, 0, 59);
    EXPECT_TRUE(tick());
    EXPECT_EQ(kinds(), std::vector<int>{StartNotice});
}

TEST_F(AlarmEvaluatorTest, LateStartGivesOverdueOrSettlesByTheSkipMark) {
    struct Case {
        bool skip;
        QTime time;
        int expectedKind; // -1: no notice
    };
    const std::vector<Case> cases = {
        {true, QTime(10, 1, 0), OverdueWarning},  {true, QTime(10, 3, 0), OverdueWarning},
        {true, QTime(10, 5, 59), OverdueWarning}, // the mark is exact to the minute
        {true, QTime(10, 6, 0), SettledSilently}, {true, QTime(17, 0, 0), SettledSilently},
        {false, QTime(10, 6, 0), OverdueWarning}, {false, QTime(23, 59, 0), OverdueWarning},
    };
    int round = 0;
    for (const Case& c : cases) {
        // A new appointment each time: a read keeps the flags the last one got.
        setList({entryAt(kToday, 10, 0, QStringLiteral("会議室%1").arg(++round))});
        notices.clear();
        settings.alarmSkip = c.skip;
        clock.set(kToday, c.time);
        EXPECT_FALSE(tick());
        const std::vector<int> expected = c.expectedKind == SettledSilently
                                              ? std::vector<int>{}
                                              : std::vector<int>{c.expectedKind};
        EXPECT_EQ(kinds(), expected) << c.skip << " " << c.time.toString().toStdString();
        EXPECT_TRUE(list()[0].arrived);
        EXPECT_TRUE(list()[0].preNoticed);
    }
}

TEST_F(AlarmEvaluatorTest, AdvanceNoticeOnlyInItsOwnMinuteAndNotWhenSwitchedOff) {
    at(9, 56); // the advance minute was missed: it is not made up later
    tick();
    EXPECT_TRUE(notices.empty());
    EXPECT_FALSE(list()[0].preNoticed);

    settings.preAlarm = false;
    at(9, 55);
    tick();
    EXPECT_TRUE(notices.empty());
    at(10, 0);
    EXPECT_TRUE(tick());
    EXPECT_EQ(kinds(), std::vector<int>{StartNotice});
}

TEST_F(AlarmEvaluatorTest, AdvanceMinutesFollowTheSetting) {
    settings.preAlarmMinute = 60;
    at(9, 0);
    tick();
    EXPECT_EQ(kinds(), std::vector<int>{AdvanceNotice});
}

TEST_F(AlarmEvaluatorTest, AlreadyArrivedEntriesAndOtherDaysGetNothing) {
    DayList entries{entryAt(kToday.addDays(-1), 10, 0), entryAt(kToday, 10, 0),
                    entryAt(kToday.addDays(1), 10, 0), entryAt(kToday.addDays(1), 9, 55)};
    entries[1].arrived = true;
    entries[1].preNoticed = true;
    setList(entries);
    at(10, 0);
    EXPECT_FALSE(tick());
    at(9, 55);
    tick();
    EXPECT_TRUE(notices.empty());
    EXPECT_FALSE(list()[0].arrived);
    EXPECT_FALSE(list()[2].arrived);
    EXPECT_FALSE(list()[2].preNoticed);
    EXPECT_FALSE(list()[3].preNoticed);
}

TEST_F(AlarmEvaluatorTest, AdvanceNoticedEntryStillGetsItsStartNotice) {
    DayList entries{entryAt(kToday, 10, 0)};
    entries[0].preNoticed = true; // as stored in the file after an advance notice
    setList(entries);
    at(10, 0);
    EXPECT_TRUE(tick());
    EXPECT_EQ(kinds(), std::vector<int>{StartNotice});
}

TEST_F(AlarmEvaluatorTest, NoticeCarriesPlaceAndCommentWithoutOuterSpaces) {
    setList({entryAt(kToday, 10, 0, " 本社 ", "  資料持参  ")});
    at(10, 0);
    tick();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (Notice{"本社", "資料持参", StartNotice}));
    EXPECT_EQ(list()[0].place, fitPlace(" 本社 ")); // the entry itself is unchanged
}

TEST_F(AlarmEvaluatorTest, SeveralEntriesInOneTick) {
    setList({entryAt(kToday, 9, 0, "A"), entryAt(kToday, 9, 58, "B"), entryAt(kToday, 10, 0, "C"),
             entryAt(kToday, 10, 5, "D")});
    at(10, 0);
    EXPECT_TRUE(tick());
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0].place, "B"); // A lies beyond the skip mark
    EXPECT_EQ(notices[0].kind, OverdueWarning);
    EXPECT_EQ(notices[1].place, "C");
    EXPECT_EQ(notices[1].kind, StartNotice);
    EXPECT_EQ(notices[2].place, "D");
    EXPECT_EQ(notices[2].kind, AdvanceNotice);
    EXPECT_TRUE(list()[0].arrived);
    EXPECT_FALSE(list()[3].arrived);
}

TEST_F(AlarmEvaluatorTest, LateEveningAdvanceMarkMatchesNothingOfToday) {
    // At 23:58 the advance mark would be 00:03 on the clock; the entry at
    // 00:03 today is long past and tomorrow's is never looked at.
    DayList entries{entryAt(kToday, 0, 3, "early"), entryAt(kToday.addDays(1), 0, 3, "tomorrow")};
    entries[0].arrived = true;
    entries[0].preNoticed = true;
    setList(entries);
    at(23, 58);
    tick();
    EXPECT_TRUE(notices.empty());
    EXPECT_FALSE(list()[1].preNoticed);
}

TEST_F(AlarmEvaluatorTest, JustAfterMidnightRecentEntriesAreNotSkipped) {
    // The skip mark is five minutes before 00:03, which is not on this day:
    // nothing of the new day lies that far back yet.
    setList({entryAt(kToday, 0, 0, "a"), entryAt(kToday, 0, 3, "b")});
    at(0, 3, 30);
    EXPECT_TRUE(tick());
    EXPECT_EQ(kinds(), (std::vector<int>{OverdueWarning, StartNotice}));
}

TEST_F(AlarmEvaluatorTest, PlaceholderListIsQuiet) {
    setList(placeholderDayList());
    at(0, 0);
    EXPECT_FALSE(tick());
    EXPECT_TRUE(notices.empty());
}

// The ticker makes the sound ready when a notice is near: every notice,
// advance or start, must have been prepared for on each tick of the whole
// lead before it came, and nothing is prepared while none is near.
TEST_F(AlarmEvaluatorTest, EveryNoticeIsPreparedForAheadAndOnlyThen) {
    for (const bool preAlarm : {true, false}) {
        SCOPED_TRACE(preAlarm);
        settings.preAlarm = preAlarm;
        // New appointments each round: a read keeps the flags the last ones got.
        const QString place = preAlarm ? QStringLiteral("本社") : QStringLiteral("支店");
        setList({entryAt(kToday, 9, 20, place), entryAt(kToday, 10, 0, place),
                 entryAt(kToday, 10, 3, place)});
        notices.clear();
        sound.prepared.clear();
        constexpr int kLead = 60;
        int preparedFor = 0;
        int preparedTicks = 0;
        for (int second = 9 * 3600 + 40 * 60; second < 10 * 3600 + 10 * 60; ++second) {
            at(second / 3600, second / 60 % 60, second % 60);
            const std::size_t before = notices.size();
            const qsizetype preparedBefore = sound.prepared.size();
            tick();
            if (notices.size() > before) {
                EXPECT_GT(preparedFor, kLead - 2) << "notice at second " << second;
            }
            const bool prepared = sound.prepared.size() > preparedBefore;
            preparedFor = prepared ? preparedFor + 1 : 0;
            preparedTicks += prepared;
        }
        // The 9:20 entry is settled silently on the first tick: no notice, and
        // nothing prepared for it; the others are prepared for about their lead.
        EXPECT_EQ(notices.size(), preAlarm ? 4u : 2u);
        EXPECT_LE(preparedTicks, (preAlarm ? 4 : 2) * (kLead + 62));
        EXPECT_GT(preparedTicks, 0);
    }
}

// An event's own reminders come in their minute, once, with how long before
// (or after) the start they come; one whose minute passed unseen (the board
// was off) is not given late, and one at the start or at the board's own
// advance notice is left to that notice. The sound is made ready ahead.
TEST_F(AlarmEvaluatorTest, EventRemindersComeOnceInTheirMinute) {
    const auto moment = [](int h, int m) {
        return QDateTime(kToday, QTime(h, m)).toSecsSinceEpoch();
    };
    struct Case {
        const char* name;
        bool preAlarm;
        QTime boardOn; // the first tick
        std::vector<int> leads;
    };
    const std::vector<Case> cases = {
        {"every one", false, QTime(8, 0), {90, 5, -10}},
        {"the board's own advance notice covers its minute", true, QTime(8, 0), {90, -10}},
        {"missed while off", false, QTime(8, 31), {5, -10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.preAlarm = c.preAlarm;
        std::vector<ReadOnlyEntry> entries(1);
        entries[0].entry = entryAt(kToday, 10, 0, "歯医者");
        entries[0].noticeKey = QStringLiteral("dentist");
        for (const auto& [h, m] : {std::pair{8, 30}, {9, 55}, {10, 0}, {10, 10}})
            entries[0].reminders.push_back({moment(h, m), false});
        std::vector<int> leads;
        int announcedFor = 0;
        for (QDateTime now(kToday, c.boardOn); now < QDateTime(kToday, QTime(10, 30));
             now = now.addSecs(1)) {
            const bool announced = reminderDueWithin(entries, now, 60);
            announcedFor = announced ? announcedFor + 1 : 0;
            for (const DueReminder& d : dueReminders(entries, settings, now)) {
                ASSERT_EQ(d.entry, 0);
                EXPECT_GT(announcedFor, 58) << now.toString().toStdString();
                leads.push_back(d.leadMinutes);
                entries[0].reminders[static_cast<size_t>(d.reminder)].given = true;
            }
        }
        EXPECT_EQ(leads, c.leads);
    }
    // Given before a restart: nothing more.
    std::vector<ReadOnlyEntry> given(1);
    given[0].entry = entryAt(kToday, 10, 0);
    given[0].reminders.push_back({moment(8, 30), true});
    EXPECT_TRUE(dueReminders(given, settings, QDateTime(kToday, QTime(8, 30, 1))).empty());
    EXPECT_FALSE(reminderDueWithin(given, QDateTime(kToday, QTime(8, 30)), 60));
}

} // namespace
} // namespace tanzo
