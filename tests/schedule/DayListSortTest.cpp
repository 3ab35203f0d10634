#include "schedule/DayListSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tanzo {
namespace {

// Entries are told apart by their comment, which the ordering never looks at.
DayList makeList(const std::vector<std::pair<float, float>>& keys) {
    DayList list;
    for (size_t i = 0; i < keys.size(); ++i) {
        ScheduleEntry e;
        e.dateSerial = keys[i].first;
        e.startTime = keys[i].second;
        e.place = fitPlace(QString());
        e.comment = QString::number(i);
        list.push_back(e);
    }
    return list;
}

std::vector<QString> comments(const DayList& list) {
    std::vector<QString> out;
    for (const auto& e : list)
        out.push_back(e.comment);
    return out;
}

void expectSameAsExchangeSort(const DayList& input) {
    DayList reference = input;
    exchangeSortDayList(reference);
    DayList fast = input;
    sortDayList(fast);
    ASSERT_EQ(comments(fast), comments(reference));
}

TEST(DayListSort, ExchangeSortReordersTiesThroughThirdEntries) {
    // Two entries at the same time behind a later one: the reference pass
    // carries the later one forward and swaps the tied pair's order.
    DayList list = makeList({{2, .5f}, {1, .5f}, {1, .5f}, {0.5f, 0}});
    exchangeSortDayList(list);
    EXPECT_EQ(comments(list), (std::vector<QString>{"3", "2", "1", "0"}));
}

TEST(DayListSort, DayComesBeforeTime) {
    const float yesterday = 46000, today = 46001;
    DayList list = makeList({{today, timeFraction(0, 1)},
                             {today, timeFraction(0, 0)},
                             {yesterday, timeFraction(23, 59)}});
    sortDayList(list);
    EXPECT_EQ(comments(list), (std::vector<QString>{"2", "1", "0"}));
}

TEST(DayListSort, ShapedListsMatchTheExchangeSort) {
    std::vector<std::pair<float, float>> sorted, reversed, equal, sawtooth;
    for (int i = 0; i < 200; ++i) {
        sorted.push_back({static_cast<float>(i / 10), (i % 10) / 10.0f});
        equal.push_back({5, .25f});
        sawtooth.push_back({static_cast<float>(i % 7), (i % 3) / 4.0f});
    }
    reversed.assign(sorted.rbegin(), sorted.rend());
    for (const auto* keys : {&sorted, &reversed, &equal, &sawtooth}) {
        SCOPED_TRACE(keys == &sorted     ? "sorted"
                     : keys == &reversed ? "reversed"
                     : keys == &equal    ? "equal"
                                         : "sawtooth");
        expectSameAsExchangeSort(makeList(*keys));
    }
}

TEST(DayListSort, RandomListsWithManyTiesMatchTheExchangeSort) {
    std::mt19937 random(20240501);
    for (int round = 0; round < 400; ++round) {
        const int size = std::uniform_int_distribution<int>(0, 120)(random);
        const int days = std::uniform_int_distribution<int>(1, 6)(random);
        const int times = std::uniform_int_distribution<int>(1, 4)(random);
        std::vector<std::pair<float, float>> keys;
        for (int i = 0; i < size; ++i) {
            keys.push_back({static_cast<float>(46000 + random() % days),
                            static_cast<float>(random() % times) / 8.0f});
        }
        SCOPED_TRACE(round);
        expectSameAsExchangeSort(makeList(keys));
    }
}

TEST(DayListSort, LargeRandomListMatchesTheExchangeSort) {
    std::mt19937 random(7);
    std::vector<std::pair<float, float>> keys;
    for (int i = 0; i < 3000; ++i)
        keys.push_back({static_cast<float>(random() % 40), static_cast<float>(random() % 5)});
    expectSameAsExchangeSort(makeList(keys));
}

TEST(DayListSort, NegativeZeroTiesWithZero) {
    expectSameAsExchangeSort(makeList({{1, 0.0f}, {1, -0.0f}, {0, 0}, {1, 0.0f}, {1, -0.0f}}));
}

} // namespace
} // namespace tanzo
