#include "editor/EntryLists.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace tanzo {
namespace {

QStringList range(int first, int last) {
    QStringList items;
    for (int v = first; v <= last; ++v)
        items << QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    return items;
}

TEST(EntryLists, WindowAcrossTheEndOfAYear) {
    const QDate open(2000, 12, 28);
    EXPECT_EQ(yearItems(open), QStringList({"2000", "2001"}));
    EXPECT_EQ(monthItems(open, 2000), QStringList({"12"}));
    EXPECT_EQ(dayItems(open, 2000, 12), range(28, 31));
    EXPECT_EQ(monthItems(open, 2001), QStringList({"01"}));
    EXPECT_EQ(dayItems(open, 2001, 1), range(1, 3));
}

TEST(EntryLists, WindowAcrossTheEndOfFebruary) {
    const QDate leap(2000, 2, 26);
    EXPECT_EQ(yearItems(leap), QStringList({"2000"}));
    EXPECT_EQ(monthItems(leap, 2000), QStringList({"02", "03"}));
    EXPECT_EQ(dayItems(leap, 2000, 2), range(26, 29));
    EXPECT_EQ(dayItems(leap, 2000, 3), range(1, 3));

    const QDate common(2001, 2, 26);
    EXPECT_EQ(dayItems(common, 2001, 2), range(26, 28));
    EXPECT_EQ(dayItems(common, 2001, 3), range(1, 4));
}

TEST(EntryLists, YearOrMonthOutsideTheWindowGivesNoItems) {
    const QDate open(2000, 12, 28);
    EXPECT_TRUE(monthItems(open, 1999).isEmpty());
    EXPECT_TRUE(dayItems(open, 2000, 11).isEmpty());
}

TEST(EntryLists, TimesOnOtherDaysAreTheWholeDay) {
    const QDate open(2000, 9, 6);
    const QTime at(15, 40);
    EXPECT_EQ(hourItems(open, at, open.addDays(1)), range(0, 23));
    for (int hour : {0, 15, 23})
        EXPECT_EQ(minuteItems(open, at, open.addDays(1), hour), range(0, 59)) << hour;
}

TEST(EntryLists, TimesOnTheOpeningDayStartAtTheOpeningMinute) {
    const QDate open(2000, 9, 6);
    const QTime at(15, 40, 30);
    EXPECT_EQ(hourItems(open, at, open), range(15, 23));
    EXPECT_EQ(minuteItems(open, at, open, 15), range(40, 59));
    EXPECT_EQ(minuteItems(open, at, open, 16), range(0, 59));
}

TEST(EntryLists, LastMinuteOfTheOpeningDay) {
    const QDate open(2000, 9, 6);
    const QTime at(23, 59, 59);
    EXPECT_EQ(hourItems(open, at, open), QStringList({"23"}));
    EXPECT_EQ(minuteItems(open, at, open, 23), QStringList({"59"}));
}

TEST(EntryLists, TypedNumbersFindTheirItem) {
    const QStringList hours = range(15, 23);
    EXPECT_EQ(indexOfNumber(range(0, 23), "7"), 7);
    EXPECT_EQ(indexOfNumber(range(0, 23), "07"), 7);
    EXPECT_EQ(indexOfNumber(hours, "15"), 0);
    EXPECT_EQ(indexOfNumber(hours, "9"), -1);
    EXPECT_EQ(indexOfNumber(hours, "24"), -1);
    EXPECT_EQ(indexOfNumber(hours, ""), -1);
    EXPECT_EQ(indexOfNumber(hours, "1a"), -1);
    EXPECT_EQ(indexOfNumber(hours, "-15"), -1);
    EXPECT_EQ(indexOfNumber(hours, " 15"), -1);
}

} // namespace
} // namespace tanzo
