#include "BoardTestEntries.h"
#include "board/BoardContent.h"
#include "board/RowReading.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace tanzo {
namespace {

using test::entryAt;

const QDate kToday(2027, 3, 15);
const QTime kTen(10, 0, 30);

QString repeat(const QString& s, int n) {
    return s.repeated(n);
}

struct SplitCase {
    const char* name;
    QString text;
    CommentLines expected;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class SplitCommentTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommentTest, WrapsAtCodePageBytes) {
    const SplitCase& c = GetParam();
    const CommentLines lines = splitComment(c.text);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[i], c.expected[i]) << c.name << " line " << i + 1;
        EXPECT_LE(cp932::width(lines[i]), CommentLineBytes);
    }
}

const QString kFull = QStringLiteral("予");
const QString kHalf = QStringLiteral("a");
const QString kKana = QStringLiteral("ｱ"); // half-width katakana: one byte

INSTANTIATE_TEST_SUITE_P(
    Widths, SplitCommentTest,
    ::testing::Values(
        SplitCase{"empty", QString(), {}},
        SplitCase{"exactly24", repeat(kFull, 12), {repeat(kFull, 12), "", "", ""}},
        SplitCase{"25half", repeat(kHalf, 25), {repeat(kHalf, 24), kHalf, "", ""}},
        SplitCase{"halfKana25", repeat(kKana, 25), {repeat(kKana, 24), kKana, "", ""}},
        // A full-width character that would make 25 bytes starts the next line.
        SplitCase{
            "leaves23", kHalf + repeat(kFull, 12), {kHalf + repeat(kFull, 11), kFull, "", ""}},
        SplitCase{"30full",
                  repeat(kFull, 30),
                  {repeat(kFull, 12), repeat(kFull, 12), repeat(kFull, 6), ""}},
        SplitCase{"overflowDropped",
                  repeat(kHalf, 100),
                  {repeat(kHalf, 24), repeat(kHalf, 24), repeat(kHalf, 24), repeat(kHalf, 24)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LocateNextEntry, EmptyListHasNoEntry) {
    const DayList list = placeholderDayList();
    EXPECT_EQ(board::locateNextEntry(list, 0, kToday, kTen), (board::PageIndices{-1, -1}));
    EXPECT_EQ(board::locateNextEntry(list, -1, kToday, kTen), (board::PageIndices{-1, -1}));
}

TEST(LocateNextEntry, Cases) {
    const QDate yesterday = kToday.addDays(-1);
    const QDate tomorrow = kToday.addDays(1);
    struct Case {
        const char* name;
        DayList list;
        int start;
        board::PageIndices expected;
    };
    const Case cases[] = {
        {"current minute is upcoming",
         {entryAt(yesterday, 11, 0), entryAt(kToday, 9, 59), entryAt(kToday, 10, 0)},
         0,
         {2, 2}},
        {"arrived entry skipped",
         {entryAt(kToday, 10, 30, 3, "a", "c", true), entryAt(kToday, 11, 0)},
         0,
         {1, 1}},
        {"end of day before a later day",
         {entryAt(kToday, 8, 0), entryAt(kToday, 9, 0), entryAt(tomorrow, 8, 0)},
         0,
         {-1, 1}},
        {"end of day, nothing later", {entryAt(kToday, 8, 0), entryAt(kToday, 9, 0)}, 0, {-1, 2}},
        {"only a later day", {entryAt(tomorrow, 8, 0), entryAt(tomorrow, 9, 0)}, 0, {-1, -1}},
        {"single passed entry", {entryAt(kToday, 8, 0)}, 0, {-1, -1}},
        // The search goes on from the previous next index.
        {"starts at the previous index",
         {entryAt(kToday, 11, 0), entryAt(kToday, 12, 0)},
         1,
         {1, 1}},
        {"negative start searches all",
         {entryAt(kToday, 11, 0), entryAt(kToday, 12, 0)},
         -1,
         {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(board::locateNextEntry(c.list, c.start, kToday, kTen), c.expected) << c.name;
}

// What the last frame of each word column shows for a row.
struct RowCase {
    const char* name;
    DayList list;
    int index;
    int rowNumber;
    QDate from, to;
    board::Caption status, place, comment;
};

TEST(FinalCaptions, PerColumnAndRowKind) {
    Settings s;
    s.foreColor1 = 0x00FF00;
    s.foreColor2 = 0x123456;
    const board::Caption before{QStringLiteral("－－－"), board::Yellow};
    const board::Caption placeBefore{QStringLiteral("x"), 0x777777};
    const QDate far = kToday.addDays(40);
    const RowCase cases[] = {
        {"upcoming",
         {entryAt(kToday, 10, 0, 1, " 東京 ", "  会議  ")},
         0,
         1,
         kToday,
         kToday,
         {"最重要", board::Red},
         {"東京", s.foreColor1},
         {"会議", s.foreColor1}},
        {"passed shows its date",
         {entryAt(kToday, 9, 59, 2, "東京", "会議")},
         0,
         0,
         kToday,
         kToday,
         {"3/15", s.foreColor2},
         {"東京", s.foreColor2},
         {"会議", s.foreColor2}},
        {"arrived ahead shows its date",
         {entryAt(kToday, 11, 0, 1, "東京", "会議", true)},
         0,
         1,
         kToday,
         kToday,
         {"3/15", s.foreColor2},
         {"東京", s.foreColor2},
         {"会議", s.foreColor2}},
        {"other day in the view window",
         {entryAt(QDate(2027, 12, 1), 8, 0, 1, "東京", "会議")},
         0,
         2,
         QDate(2027, 11, 1),
         QDate(2027, 12, 31),
         {"12/1", s.foreColor2},
         {"東京", s.foreColor2},
         {"会議", s.foreColor2}},
        {"out of the window",
         {entryAt(far, 8, 0, 1, "東京", "会議")},
         0,
         1,
         kToday.addDays(-30),
         kToday.addDays(30),
         {"", before.color},
         {"", s.foreColor2},
         {"", before.color}},
        {"missing entry on the first row",
         {entryAt(kToday, 9, 0)},
         1,
         0,
         kToday,
         kToday,
         {"", before.color},
         {"", placeBefore.color},
         {board::EndOfDayMessage, s.foreColor1}},
        {"full-width padding trimmed, so the place stands centred",
         {entryAt(kToday, 10, 0, 3, "　東京　 ", "会議　　")},
         0,
         1,
         kToday,
         kToday,
         {"普通", board::Blue},
         {"東京", s.foreColor1},
         {"会議", s.foreColor1}},
        {"unknown status keeps the last frame",
         {entryAt(kToday, 10, 0, 7, "東京", "会議")},
         0,
         1,
         kToday,
         kToday,
         before,
         {"東京", s.foreColor1},
         {"会議", s.foreColor1}},
    };
    for (const RowCase& c : cases) {
        const board::RowFacts row = board::rowFacts(c.list, c.index, c.from, c.to, kToday, kTen);
        EXPECT_EQ(board::finalStatus(row, before, s), c.status) << c.name;
        EXPECT_EQ(board::finalPlace(row, placeBefore, s, kToday, kTen), c.place) << c.name;
        EXPECT_EQ(board::finalComment(row, c.rowNumber, before, s), c.comment) << c.name;
    }
}

TEST(FinalCaptions, CommentShowsOnlyItsFirstLine) {
    const DayList list{entryAt(kToday, 10, 0, 3, "a", QStringLiteral("予").repeated(13))};
    const board::RowFacts row = board::rowFacts(list, 0, kToday, kToday, kToday, kTen);
    EXPECT_EQ(board::finalComment(row, 0, {}, Settings{}).text, QStringLiteral("予").repeated(12));
}

TEST(Flaps, CaptionsAndTargets) {
    const std::pair<int, const char*> cases[] = {{0, "0 0"},  {5, "0 5"},  {9, "0 9"},
                                                 {10, "1 0"}, {23, "2 3"}, {59, "5 9"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(board::flapCaption(value), QString::fromUtf8(text));

    const DayList list{entryAt(kToday, 14, 5)};
    const board::RowFacts in = board::rowFacts(list, 0, kToday, kToday, kToday, kTen);
    EXPECT_EQ(board::flapTarget(in, true), 14);
    EXPECT_EQ(board::flapTarget(in, false), 5);
    const board::RowFacts out =
        board::rowFacts(list, 0, kToday.addDays(1), kToday.addDays(1), kToday, kTen);
    EXPECT_EQ(board::flapTarget(out, true), -1);
}

// A subscribed all-day appointment has no time to show or to wait for:
// blank flaps, its date in the status column, never the next appointment,
// even before its day has begun or when its flags were lost.
TEST(Flaps, AllDayRowHasNoTimeAndIsNeverUpcoming) {
    Settings s;
    s.foreColor1 = 0x00FF00;
    s.foreColor2 = 0x123456;
    const DayList list{
        entryAt(kToday, 0, 0, 1, QStringLiteral("春分の日🎌"), QStringLiteral("祝日"))};
    const board::RowFacts row = board::rowFacts(list, 0, kToday, kToday, kToday, QTime(0, 0), true);
    EXPECT_TRUE(row.inWindow);
    EXPECT_FALSE(row.upcoming);
    EXPECT_EQ(board::flapTarget(row, true), -1);
    EXPECT_EQ(board::flapTarget(row, false), -1);
    EXPECT_EQ(board::finalStatus(row, {}, s), (board::Caption{"3/15", s.foreColor2}));
    EXPECT_EQ(board::finalPlace(row, {}, s, kToday, QTime(0, 0)),
              (board::Caption{QStringLiteral("春分の日🎌"), s.foreColor2}));
    EXPECT_EQ(board::finalComment(row, 0, {}, s), (board::Caption{"祝日", s.foreColor2}));
}

// What a screen reader says of a row: the flap digits as a time, the padded
// place trimmed, nothing for empty parts, the end-of-day message alone.
TEST(RowSentence, ReadsTheRowAsOneSentence) {
    EXPECT_EQ(rowSentence({QStringLiteral("こんど"), QStringLiteral("重要"), QStringLiteral("1 0"),
                           QStringLiteral("3 0"), QStringLiteral("会議室    "),
                           QStringLiteral("資料持参")}),
              QStringLiteral("こんど、10時30分、会議室、重要、資料持参"));
    EXPECT_EQ(rowSentence({QStringLiteral("つぎ"), QStringLiteral("3/16"), QStringLiteral("0 9"),
                           QStringLiteral("0 5"), QStringLiteral("本社"), QString()}),
              QStringLiteral("つぎ、9時5分、本社、3/16"));
    EXPECT_EQ(rowSentence({QStringLiteral("こんど"), QString(), QString(), QString(), QString(),
                           board::EndOfDayMessage}),
              board::EndOfDayMessage);
    EXPECT_EQ(rowSentence({QStringLiteral("こんど"), QString(), QStringLiteral("1 4"),
                           QStringLiteral("0 0"), QStringLiteral("東京"), QString()}),
              QStringLiteral("こんど、14時、東京"));
    EXPECT_EQ(rowSentence({QStringLiteral("そのつぎ"), QString(), QString(), QString(),
                           board::AdjustingPlace, QString()}),
              QStringLiteral("そのつぎ、調整中"));
}

TEST(Placeholder, ColourCyclesRedYellowBlue) {
    EXPECT_EQ(board::nextPlaceholderColor(0xFFFFFF), board::Red);
    EXPECT_EQ(board::nextPlaceholderColor(board::Red), board::Yellow);
    EXPECT_EQ(board::nextPlaceholderColor(board::Yellow), board::Blue);
    EXPECT_EQ(board::nextPlaceholderColor(board::Blue), board::Red);
}

} // namespace
} // namespace tanzo
