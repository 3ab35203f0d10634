#include "alarm/Cascade.h"
#include "alarm/CommentLines.h"
#include "alarm/NoticeLedger.h"
#include "alarm/NoticeText.h"

#include <gtest/gtest.h>

namespace tanzo {
namespace {

QString repeat(const QString& s, int n) {
    return s.repeated(n);
}

TEST(SplitComment, WrapsAtTwentyFourBytes) {
    struct Case {
        QString text;
        CommentLines expected;
    };
    const QString full30 = repeat("あ", 30);
    const std::vector<Case> cases = {
        {"", {"", "", "", ""}},
        {repeat("a", 24), {repeat("a", 24), "", "", ""}},
        {repeat("a", 25), {repeat("a", 24), "a", "", ""}},
        // a full-width character that would make 25 bytes goes to the next line
        {repeat("a", 23) + "あ", {repeat("a", 23), "あ", "", ""}},
        {full30, {repeat("あ", 12), repeat("あ", 12), repeat("あ", 6), ""}},
        // half-width katakana is one byte each
        {repeat("ｱ", 24) + "ｲ", {repeat("ｱ", 24), "ｲ", "", ""}},
        // beyond four lines is dropped
        {repeat("x", 100), {repeat("x", 24), repeat("x", 24), repeat("x", 24), repeat("x", 24)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitComment(c.text), c.expected) << c.text.toStdString();
}

TEST(SplitComment, KeepsCharactersOutsideTheBasicPlaneWhole) {
    const QString emoji = QString::fromUcs4(U"\U0001F600", 1); // not in the code page: '?', 1 byte
    const CommentLines lines = splitComment(repeat("a", 23) + emoji + "b");
    EXPECT_EQ(lines[0], repeat("a", 23) + emoji);
    EXPECT_EQ(lines[1], "b");
}

TEST(NoticeTextTest, CaptionColourAndMessagePerKind) {
    struct Case {
        int kind;
        QString caption;
        BgrColor colour;
        QString firstLine;
    };
    const std::vector<Case> cases = {
        {0, "予告 - 会議室", 0xC0FFFF, "会議室へ行く10分前になりました。"},
        {1, "通知 - 会議室", 0x80FF80, "会議室へ行く時刻になりました。"},
        {2, "警告 - 会議室", 0x8080FF, "会議室へ行く時刻を過ぎました。"},
    };
    for (const Case& c : cases) {
        const NoticeText t = noticeText("会議室", "資料", c.kind, 10);
        EXPECT_EQ(t.caption, c.caption);
        EXPECT_EQ(t.background, c.colour);
        EXPECT_EQ(t.message, c.firstLine + "\r\n（資料）");
    }
}

// An event's own reminder says its own lead, before or after the start; an
// appointment without a place is named by its comment.
TEST(NoticeTextTest, ReminderLeadAndAPlacelessAppointment) {
    struct Case {
        QString place;
        int kind;
        int lead;
        QString caption;
        QString message;
    };
    const std::vector<Case> cases = {
        {"歯医者", 0, 90, "予告 - 歯医者", "歯医者へ行く90分前になりました。\r\n（資料）"},
        {"歯医者", 0, -15, "予告 - 歯医者", "歯医者へ行く時刻を15分過ぎました。\r\n（資料）"},
        {"", 0, 90, "予告 - 資料", "資料へ行く90分前になりました。\r\n"},
        {"", 1, 5, "通知 - 資料", "資料へ行く時刻になりました。\r\n"},
    };
    for (const Case& c : cases) {
        const NoticeText t = noticeText(c.place, "資料", c.kind, c.lead);
        EXPECT_EQ(t.caption, c.caption);
        EXPECT_EQ(t.message, c.message);
    }
}

TEST(NoticeTextTest, SecondLineIsTheFirstDisplayLineOnly) {
    const NoticeText t = noticeText("A", repeat("い", 13), 1, 5);
    EXPECT_EQ(t.message, "Aへ行く時刻になりました。\r\n（" + repeat("い", 12) + "）");
    EXPECT_EQ(noticeText("A", "", 1, 5).message, "Aへ行く時刻になりました。\r\n");
}

TEST(NoticeTextTest, UnknownKindGivesNothing) {
    EXPECT_TRUE(noticeText("A", "", -1, 5).caption.isEmpty());
    EXPECT_TRUE(noticeText("A", "", 3, 5).caption.isEmpty());
}

class CascadeTest : public ::testing::Test {
protected:
    CascadeTest() {
        in.windowTwips = QSizeF(3600, 1680); // 240 x 112 px
        in.frameTwips = 450;                 // 30 px
        in.screenTwips = QSizeF(1920 * 15, 1080 * 15);
    }
    CascadeInput in;
};

TEST_F(CascadeTest, FirstWindowIsCentred) {
    EXPECT_EQ(cascadePosition(in), QPoint(840, 484));
}

TEST_F(CascadeTest, NextWindowStepsOneTitleBarDownAndRight) {
    in.previous = QPoint(840, 484);
    EXPECT_EQ(cascadePosition(in), QPoint(870, 514));
}

TEST_F(CascadeTest, RestartsAtThirtyPercentBeforeThe80PercentLine) {
    // 0.8 * 1920 = 1536; a window of 240 px may start at 1296 at most.
    in.previous = QPoint(1266, 600);
    EXPECT_EQ(cascadePosition(in), QPoint(1296, 630));
    in.previous = QPoint(1267, 600);
    EXPECT_EQ(cascadePosition(in), QPoint(576, 324));
}

TEST_F(CascadeTest, RestartsBeforeLeavingTheBottomOfTheScreen) {
    in.previous = QPoint(600, 950); // 980 + 112 > 1080
    EXPECT_EQ(cascadePosition(in), QPoint(576, 324));
}

TEST_F(CascadeTest, FollowsTheScreensTwipsPerPixel) {
    in.twipsPerPixelX = in.twipsPerPixelY = 7.5; // 192 dpi
    in.screenTwips = QSizeF(1920 * 7.5, 1080 * 7.5);
    in.windowTwips = QSizeF(3600, 1680); // 480 x 224 px
    in.frameTwips = 450;                 // 60 px
    EXPECT_EQ(cascadePosition(in), QPoint(720, 428));
    in.previous = QPoint(720, 428);
    EXPECT_EQ(cascadePosition(in), QPoint(780, 488));
}

ScheduleEntry appointment(const QString& place, int minute) {
    ScheduleEntry e;
    e.dateSerial = daySerial(QDate(2027, 3, 15));
    e.startTime = timeFraction(10, minute);
    e.status = 3;
    e.place = fitPlace(place);
    return e;
}

// Notices wait in the ledger from the tick that opened their windows until
// the windows are on the screen; meanwhile the list may be read again.
TEST(NoticeLedgerTest, PendingNoticesAreKnownByContentNotByIndex) {
    const DayList view{appointment("A", 0), appointment("A", 0), appointment("B", 5)};
    const std::vector<DueNotice> due{{0, StartNotice}, {1, StartNotice}, {2, AdvanceNotice}};
    NoticeLedger ledger;
    EXPECT_EQ(ledger.withoutPending(view, due).size(), 3u);
    const int firstA = ledger.hand(view[0], due[0]);
    EXPECT_EQ(ledger.withoutPending(view, due).size(), 2u) << "equal appointments: one each";
    ledger.hand(view[1], due[1]);
    const int advanceB = ledger.hand(view[2], due[2]);
    EXPECT_TRUE(ledger.withoutPending(view, due).empty());
    const std::vector<DueNotice> startB{{2, StartNotice}};
    EXPECT_EQ(ledger.withoutPending(view, startB).size(), 1u)
        << "the start notice is not held up by the advance notice on its way";

    // Read again: an appointment comes first, the indices move.
    DayList moved = view;
    moved.insert(moved.begin(), appointment("C", 0));
    ledger.markShown(firstA);
    ledger.markShown(advanceB);
    bool started = false;
    const std::vector<NoticeMark> marks = ledger.takeShown(moved, &started);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].index, 1);
    EXPECT_TRUE(marks[0].arrived && marks[0].preNoticed);
    EXPECT_EQ(marks[1].index, 3);
    EXPECT_TRUE(!marks[1].arrived && marks[1].preNoticed);
    EXPECT_TRUE(started);
    EXPECT_EQ(ledger.pendingCount(), 1);
    EXPECT_FALSE(ledger.hasShown());

    // The second A is shown after both A's were deleted: it settles nothing.
    ledger.hand(view[2], startB[0]);
    ledger.markShown(2);
    const DayList withoutA{appointment("B", 5)};
    EXPECT_TRUE(ledger.takeShown(withoutA, &started).empty());
    EXPECT_FALSE(started);
}

} // namespace
} // namespace tanzo
