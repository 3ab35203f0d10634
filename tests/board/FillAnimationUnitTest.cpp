#include "BoardTestEntries.h"
#include "board/BoardContent.h"
#include "board/FillAnimation.h"
#include "core/AppContext.h"
#include "core/FlapPace.h"
#include "support/ManualClock.h"
#include "support/StoredEntries.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace tanzo {
namespace {

using layout::Column;
using test::entryAt;

const QDate kToday(2027, 3, 15);

// Text labels as plain data, with every caption each label was given.
class RecordingSurface : public BoardSurface {
public:
    struct Label {
        QString caption;
        BgrColor color = 0xFFFFFF;
        bool visible = true;
        QStringList history;
        int aligned = 0;
    };

    QString caption(Column c, int r) const override { return at(c, r).caption; }
    void setCaption(Column c, int r, const QString& text) override {
        at(c, r).caption = text;
        at(c, r).history << text;
    }
    BgrColor color(Column c, int r) const override { return at(c, r).color; }
    void setColor(Column c, int r, BgrColor color) override { at(c, r).color = color; }
    void setVisible(Column c, int r, bool v) override { at(c, r).visible = v; }
    void align(Column c, int r) override { ++at(c, r).aligned; }

    Label& at(Column c, int r) { return m_labels[{c, r}]; }
    const Label& at(Column c, int r) const { return m_labels[{c, r}]; }

private:
    mutable std::map<std::pair<int, int>, Label> m_labels;
};

QStringList flapValues(int from, int to) {
    QStringList values;
    for (int v = from; v <= to; ++v)
        values << board::flapCaption(v);
    return values;
}

class FillAnimationTest : public ::testing::Test {
protected:
    FillAnimationTest() : state(clock, dir.path() + QLatin1Char('/')), fill(state, surface) {
        clock.set(kToday, QTime(9, 0, 20));
        state.settings.update([&](Settings& s) {
            s.interval = 1;
            s.foreColor1 = 0x00FF00;
            s.foreColor2 = 0x00AAAA;
        });
        fill.setAutoRun(false);
        QObject::connect(&fill, &FillAnimation::started, [this] { ++started; });
        QObject::connect(&fill, &FillAnimation::finished, [this] { ++finished; });
    }

    void runToEnd(const FillRequest& request) {
        fill.start(request, [this] { ++done; });
        int steps = 0;
        while (fill.stepFrame())
            ASSERT_LT(++steps, 100000);
    }

    QTemporaryDir dir; // the data file the entries are read from
    test::ManualClock clock;
    AppContext state;
    RecordingSurface surface;
    FillAnimation fill;
    int started = 0, finished = 0, done = 0;
};

TEST_F(FillAnimationTest, ForcedFillKeepsFrameCountsAndStopsFlapsAtTheTarget) {
    EXPECT_TRUE(test::storeEntries(state.schedule, {entryAt(kToday, 14, 5, 1, "東京", "会議")}));

    runToEnd({0, kToday, kToday, true});

    // A round of placeholder frames, then the final caption.
    const auto placeholders = [](const QString& p) {
        return QStringList(board::pace::PlaceholderFrames, p);
    };
    EXPECT_EQ(surface.at(layout::Status, 0).history, placeholders(board::StatusPlaceholder)
                                                         << "最重要");
    EXPECT_EQ(surface.at(layout::Place, 0).history, placeholders(board::PlacePlaceholder)
                                                        << "東京");
    EXPECT_EQ(surface.at(layout::Comment, 0).history, placeholders(board::CommentPlaceholder)
                                                          << "会議");
    EXPECT_EQ(surface.at(layout::Status, 0).color, board::Red);
    EXPECT_EQ(surface.at(layout::Hour, 0).history, flapValues(0, 14));
    EXPECT_EQ(surface.at(layout::Min, 0).history, flapValues(0, 5));
    EXPECT_EQ(surface.at(layout::Hour, 0).color, state.settings.values().foreColor1);

    // A forced row without an entry rolls the flaps through and blanks them.
    EXPECT_EQ(surface.at(layout::Hour, 1).history, flapValues(0, 24) << "");
    EXPECT_EQ(surface.at(layout::Min, 2).history, flapValues(0, 59) << "");
    EXPECT_EQ(surface.at(layout::Status, 1).history, placeholders(board::StatusPlaceholder) << "");
    EXPECT_EQ(surface.at(layout::Comment, 2).caption, QString());
    for (int r = 0; r < 3; ++r)
        EXPECT_TRUE(surface.at(layout::Comment, r).visible);

    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(fill.running());
}

TEST_F(FillAnimationTest, PassedEntryFlapsEndInTheSecondColour) {
    EXPECT_TRUE(test::storeEntries(state.schedule, {entryAt(kToday, 8, 30)}));
    runToEnd({0, kToday, kToday, true});
    EXPECT_EQ(surface.at(layout::Hour, 0).history.last(), "0 8");
    EXPECT_EQ(surface.at(layout::Min, 0).color, state.settings.values().foreColor2);
    EXPECT_EQ(surface.at(layout::Status, 0).caption, "3/15");
}

TEST_F(FillAnimationTest, StatusPlaceholderColourCyclesEveryFrame) {
    EXPECT_TRUE(test::storeEntries(state.schedule, {entryAt(kToday, 14, 5, 2)}));
    std::vector<BgrColor> seen;
    fill.start({0, kToday, kToday, true});
    while (fill.stepFrame()) {
        const auto& status = surface.at(layout::Status, 0);
        if (status.visible && status.history.size() > int(seen.size()) &&
            status.history.size() <= board::pace::PlaceholderFrames)
            seen.push_back(status.color);
    }
    ASSERT_EQ(seen.size(), size_t(board::pace::PlaceholderFrames));
    // The label starts white, so the first frame is red.
    const BgrColor cycle[] = {board::Red, board::Yellow, board::Blue};
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], cycle[i % 3]) << i;
}

TEST_F(FillAnimationTest, UnforcedRefreshLeavesEmptyRowsUntouched) {
    EXPECT_TRUE(
        test::storeEntries(state.schedule, {entryAt(kToday, 14, 5), entryAt(kToday, 15, 0)}));
    surface.at(layout::Place, 0).caption = "調整中";
    // Row 1 has an entry but shows nothing; row 2 shows only its status.
    surface.at(layout::Status, 2).caption = "1/1";

    runToEnd({0, kToday, kToday, false});

    EXPECT_EQ(surface.at(layout::Place, 0).caption, "会議室"); // padding trimmed
    for (int r : {1, 2}) {
        for (Column c : {layout::Status, layout::Place, layout::Hour, layout::Min, layout::Comment})
            EXPECT_TRUE(surface.at(c, r).history.isEmpty()) << "row " << r << " column " << c;
    }
}

TEST_F(FillAnimationTest, ViewWindowBeforeTodayRedrawsButDrawsNoPlaceholderOnEmptyRows) {
    EXPECT_TRUE(test::storeEntries(state.schedule, {entryAt(kToday, 14, 5)}));
    runToEnd({0, kToday.addDays(-30), kToday.addDays(30), false});

    EXPECT_EQ(surface.at(layout::Place, 0).history.size(), board::pace::PlaceholderFrames + 1);
    // Row 1: no entry, nothing showing: the word columns stop at their first
    // (empty) frame, the flaps are only blanked.
    EXPECT_TRUE(surface.at(layout::Status, 1).history.isEmpty());
    EXPECT_EQ(surface.at(layout::Status, 1).color, board::Red);
    EXPECT_EQ(surface.at(layout::Hour, 1).history, QStringList{""});
    EXPECT_TRUE(surface.at(layout::Comment, 1).history.isEmpty());
}

TEST_F(FillAnimationTest, NoEntryIndexShowsTheEndOfDayMessage) {
    EXPECT_TRUE(test::storeEntries(state.schedule, {entryAt(kToday, 8, 0)}));
    runToEnd({-1, kToday, kToday, true});
    EXPECT_EQ(surface.at(layout::Comment, 0).caption, board::EndOfDayMessage);
    EXPECT_EQ(surface.at(layout::Comment, 0).color, state.settings.values().foreColor1);
    EXPECT_EQ(surface.at(layout::Place, 0).caption, QString());
}

TEST_F(FillAnimationTest, NewRequestFinishesTheRunningFillFirst) {
    EXPECT_TRUE(test::storeEntries(
        state.schedule, {entryAt(kToday, 14, 5), entryAt(kToday, 15, 0), entryAt(kToday, 16, 0)}));
    std::vector<int> order;
    fill.start({0, kToday, kToday, true}, [&] {
        order.push_back(1);
        EXPECT_EQ(surface.at(layout::Hour, 2).caption, "1 6"); // drawn to the end
    });
    for (int i = 0; i < 10; ++i)
        fill.stepFrame();
    EXPECT_TRUE(fill.running());

    fill.start({1, kToday, kToday, true}, [&] { order.push_back(2); });
    EXPECT_EQ(order, std::vector<int>{1});
    EXPECT_TRUE(fill.running());
    EXPECT_TRUE(fill.running());
    fill.finishNow();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(surface.at(layout::Hour, 0).caption, "1 5");
    EXPECT_EQ(started, 2);
    EXPECT_EQ(finished, 2);
}

TEST_F(FillAnimationTest, FillStartedByAFinishingFillStillRunsBeforeTheNewRequest) {
    EXPECT_TRUE(
        test::storeEntries(state.schedule, {entryAt(kToday, 14, 5), entryAt(kToday, 15, 0)}));
    std::vector<int> order;
    fill.start({0, kToday, kToday, true}, [&] {
        order.push_back(1);
        fill.start({1, kToday, kToday, true}, [&] { order.push_back(2); });
    });
    fill.stepFrame();
    fill.start({0, kToday, kToday, true}, [&] { order.push_back(3); });
    fill.finishNow();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(surface.at(layout::Hour, 0).caption, "1 4");
    EXPECT_FALSE(fill.running());
}

TEST_F(FillAnimationTest, DateAndMinuteStayFixedDuringTheFill) {
    clock.set(kToday, QTime(14, 5, 50));
    EXPECT_TRUE(test::storeEntries(state.schedule, {entryAt(kToday, 14, 5)}));
    fill.start({0, kToday, kToday, true});
    fill.stepFrame();
    clock.set(kToday, QTime(14, 6, 10)); // the minute passes mid-fill
    fill.finishNow();
    EXPECT_EQ(surface.at(layout::Status, 0).caption, "普通");
}

// The pace by the fill's own plan, stepped by hand: each placeholder stays up
// long enough for a 25 fps recording, a forced fill of three rows at the
// default Interval takes 1 to 2 s whatever the times, and Interval scales it.
TEST_F(FillAnimationTest, PacedSoThatEveryPhaseCanBeSeen) {
    struct Shown {
        int64_t sinceUs = -1;
        QString caption;
    };
    std::map<std::pair<int, int>, Shown> shown;
    int64_t shortestPlaceholderUs = INT64_MAX;
    class PacedSurface : public RecordingSurface {
    public:
        std::function<void(Column, int, bool)> onVisible;
        void setVisible(Column c, int r, bool v) override {
            onVisible(c, r, v);
            RecordingSurface::setVisible(c, r, v);
        }
    } paced;
    FillAnimation pacedFill(state, paced);
    pacedFill.setAutoRun(false);
    paced.onVisible = [&](Column c, int r, bool visible) {
        Shown& s = shown[{c, r}];
        if (visible) {
            s = {pacedFill.plannedUs(), paced.caption(c, r)};
        } else if (s.sinceUs >= 0 && s.caption.startsWith(QStringLiteral("－"))) {
            shortestPlaceholderUs =
                std::min(shortestPlaceholderUs, pacedFill.plannedUs() - s.sinceUs);
        }
    };
    const auto forcedFillUs = [&](int interval, const DayList& entries) {
        state.settings.update([&](Settings& s) { s.interval = static_cast<int16_t>(interval); });
        EXPECT_TRUE(test::storeEntries(state.schedule, entries));
        for (int r = 0; r < 3; ++r)
            paced.at(layout::Place, r).caption = QStringLiteral("x");
        int64_t total = 0;
        pacedFill.start({0, kToday, kToday, true}, [&] { total = pacedFill.plannedUs(); });
        while (pacedFill.stepFrame()) {
            total = pacedFill.plannedUs();
        }
        return total;
    };
    clock.set(kToday, QTime(0, 0));
    const DayList early = {entryAt(kToday, 0, 0), entryAt(kToday, 0, 0), entryAt(kToday, 0, 0)};
    const DayList late = {entryAt(kToday, 23, 59), entryAt(kToday, 23, 59)}; // and no third
    const int64_t quickest = forcedFillUs(10, early);
    const int64_t slowest = forcedFillUs(10, late);
    EXPECT_GE(quickest, 1000000);
    EXPECT_LE(slowest, 2000000);
    EXPECT_GE(shortestPlaceholderUs, 40000) << "a 25 fps recording takes a picture every 40 ms";
    EXPECT_EQ(forcedFillUs(20, late), 2 * slowest);
    EXPECT_EQ(forcedFillUs(1, early) * 10, quickest);
}

} // namespace
} // namespace tanzo
