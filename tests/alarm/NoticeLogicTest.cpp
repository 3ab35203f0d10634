#include "alarm/Cascade.h"
#include "alarm/CommentLines.h"
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

} // namespace
} // namespace tanzo
