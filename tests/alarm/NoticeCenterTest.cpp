#include "alarm/NoticeCenter.h"
#include "alarm/NoticeWindow.h"
#include "core/AppContext.h"
#include "core/Colors.h"
#include "platform/Twips.h"
#include "platform/WindowSystem.h"
#include "support/FakeBoard.h"
#include "support/ManualClock.h"
#include "support/RecordingSoundPlayer.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tanzo {
namespace {

QString repeatComment() {
    return QStringLiteral("長い説明").repeated(4);
}

class NoticeCenterTest : public ::testing::Test {
protected:
    NoticeCenterTest() {
        board.rect = QRect(10, 20, 300, 90);
        state.settings.update([&](Settings& s) {
            s.soundDirectory = "/snd/";
            s.soundFileName = "Chord.wav";
        });
    }
    ~NoticeCenterTest() override {
        center.closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    NoticeWindow* last() const { return center.openNotices().last(); }
    static QString labelText(NoticeWindow* w) {
        return w->findChild<QLabel*>("lblComment")->text();
    }

    test::ManualClock clock;
    AppContext state{clock, "/tmp/"};
    test::FakeBoard board;
    test::RecordingSoundPlayer sound;
    NoticeCenter center{state.settings.values(), board, sound};
};

TEST_F(NoticeCenterTest, WindowShowsCaptionColourAndMessagePerKind) {
    state.settings.update([&](Settings& s) { s.preAlarmMinute = 10; });
    center.showNotice("会議室", "資料持参", 0);
    center.showNotice("会議室", "", 1);
    center.showNotice("会議室", "a", 2);
    const QList<NoticeWindow*> open = center.openNotices();
    ASSERT_EQ(open.size(), 3);

    EXPECT_EQ(open[0]->objectName(), "frmMsg");
    EXPECT_EQ(open[0]->windowTitle(), "予告 - 会議室");
    EXPECT_EQ(labelText(open[0]), "会議室へ行く10分前になりました。\n（資料持参）");
    EXPECT_EQ(fromQColor(open[0]->palette().color(QPalette::Window)), 0xC0FFFFu);

    EXPECT_EQ(open[1]->windowTitle(), "通知 - 会議室");
    EXPECT_EQ(labelText(open[1]), "会議室へ行く時刻になりました。\n");
    EXPECT_EQ(fromQColor(open[1]->palette().color(QPalette::Window)), 0x80FF80u);

    EXPECT_EQ(open[2]->windowTitle(), "警告 - 会議室");
    EXPECT_EQ(fromQColor(open[2]->palette().color(QPalette::Window)), 0x8080FFu);

    for (NoticeWindow* w : open) {
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(w->findChild<QPushButton*>("cmdOK")->text(), "OK");
        const QLabel* icon = w->findChild<QLabel*>("imgIcon");
        ASSERT_NE(icon, nullptr);
        EXPECT_FALSE(icon->pixmap().isNull());
    }
    EXPECT_EQ(center.shownCount(), 3);
    EXPECT_EQ(center.openCount(), 3);
}

TEST_F(NoticeCenterTest, MessageIsCentredAndNeverCutOff) {
    center.showNotice("会議室", "", 1);
    center.showNotice("ＡＢＣＤＥＦＧ", repeatComment(), 0);
    for (NoticeWindow* w : center.openNotices()) {
        const QLabel* label = w->commentLabel();
        EXPECT_GE(label->x(), 0);
        EXPECT_LE(label->geometry().right(), w->width());
        EXPECT_LE(std::abs(label->x() - (w->width() - label->geometry().right() - 1)), 1);
        EXPECT_GE(w->width(), Twips::fromPrimaryScreen().toPixels(3450));
    }
}

TEST_F(NoticeCenterTest, CascadesFromTheMostRecentOpenNotice) {
    center.showNotice("A", "", 1);
    const QPoint first = last()->geometry().topLeft();
    const QSize screen = Twips::screenSizePixels();
    // centred: the window's middle is near the screen's middle
    EXPECT_NEAR(first.x() + last()->width() / 2, screen.width() / 2, 2);
    EXPECT_LE(std::abs(first.y() + last()->height() / 2 - screen.height() / 2), 40);

    center.showNotice("B", "", 1);
    const QPoint second = last()->geometry().topLeft();
    const QPoint step = second - first;
    EXPECT_GT(step.x(), 0);
    EXPECT_EQ(step.x(), step.y());

    center.showNotice("C", "", 1);
    EXPECT_EQ(last()->geometry().topLeft(), second + step);
}

// Two notices due in the same tick: the window manager has framed the older
// windows but not yet the one opened a moment ago. The step must still be
// the real title-bar height, not a guess that differs from it.
TEST_F(NoticeCenterTest, CascadeStepStaysEvenWhenTheLastWindowIsNotFramedYet) {
    constexpr int realFrame = 29;
    QList<const QWidget*> framed;
    center.setFrameProbe(
        [&framed](const QWidget* w) { return framed.contains(w) ? QSize(4, realFrame) : QSize(); });

    center.showNotice("A", "", 2);
    framed.append(last());
    center.showNotice("B", "", 0);
    const QPoint a = center.openNotices().at(0)->geometry().topLeft();
    const QPoint b = last()->geometry().topLeft();
    EXPECT_EQ(b - a, QPoint(realFrame, realFrame));

    center.showNotice("C", "", 1); // B is not framed yet
    EXPECT_EQ(last()->geometry().topLeft() - b, QPoint(realFrame, realFrame));

    // Once every framed window is closed the measured height is still known.
    framed.clear();
    center.showNotice("D", "", 1);
    EXPECT_EQ(last()->geometry().topLeft() - b, QPoint(2 * realFrame, 2 * realFrame));
}

// The restart looks at the frame's right edge, not the client area's: a
// notice whose borders would cross 80 % of the screen starts over.
TEST_F(NoticeCenterTest, CascadeRestartsOnTheOuterWidth) {
    constexpr int borders = 4;
    constexpr int titleBar = 29;
    center.setFrameProbe([](const QWidget*) { return QSize(borders, titleBar); });
    const int mark = Twips::screenSizePixels().width() * 8 / 10;
    const QSize screen = Twips::screenSizePixels();
    const QPoint restart(static_cast<int>(std::lrint(0.3 * screen.width())),
                         static_cast<int>(std::lrint(0.3 * screen.height())));
    struct Case {
        int outerRight; // where the new window's frame would end
        bool restarts;
    };
    for (const Case c : {Case{mark, false}, Case{mark + 1, true}}) {
        SCOPED_TRACE(c.outerRight);
        center.closeAll();
        center.showNotice("A", "", 1);
        const int innerWidth = last()->width();
        const QPoint previous(c.outerRight - innerWidth - borders - titleBar, 10);
        last()->move(previous);
        center.showNotice("B", "", 1);
        EXPECT_EQ(last()->pos(), c.restarts ? restart : previous + QPoint(titleBar, titleBar));
    }
}

TEST_F(NoticeCenterTest, AfterTheOnlyNoticeIsClosedTheNextIsCentredAgain) {
    center.showNotice("A", "", 1);
    const QPoint centred = last()->geometry().topLeft();
    QTest::mouseClick(last()->okButton(), Qt::LeftButton);
    EXPECT_TRUE(center.openNotices().isEmpty());
    center.showNotice("B", "", 1);
    EXPECT_EQ(last()->geometry().topLeft(), centred);
}

TEST_F(NoticeCenterTest, OkCountsDownAndRaisesTheBoardOnlyWhenWanted) {
    struct Case {
        bool topMost;
        bool activeDisplay;
        bool raised;
    };
    for (const Case c :
         {Case{false, true, true}, Case{false, false, false}, Case{true, true, false}}) {
        board.raises.clear();
        state.settings.update([&](Settings& s) {
            s.topMost = c.topMost;
            s.activeDisplay = c.activeDisplay;
        });
        center.showNotice("A", "", 1);
        const int before = center.openCount();
        QTest::mouseClick(last()->okButton(), Qt::LeftButton);
        EXPECT_EQ(center.openCount(), before - 1);
        if (c.raised)
            EXPECT_EQ(board.raises, std::vector<Focus>{Focus::Take});
        else
            EXPECT_TRUE(board.raises.empty());
        // Raised once: neither placed again nor kept on top.
        EXPECT_TRUE(board.placements.empty());
        EXPECT_TRUE(board.staysOnTop.empty());
    }
}

TEST_F(NoticeCenterTest, CloseBoxActsLikeOk) {
    center.showNotice("A", "", 1);
    center.showNotice("B", "", 1);
    center.openNotices().first()->close();
    EXPECT_EQ(center.openCount(), 1);
    QTest::mouseClick(last()->okButton(), Qt::LeftButton);
    EXPECT_EQ(center.openCount(), 0);
    EXPECT_TRUE(center.openNotices().isEmpty());
}

TEST_F(NoticeCenterTest, SoundOnlyWhenWantedAndNamed) {
    center.showNotice("A", "", 1);
    EXPECT_EQ(sound.played, QStringList{"/snd/Chord.wav"});

    state.settings.update([&](Settings& s) { s.alarmSound = false; });
    center.showNotice("A", "", 2);
    EXPECT_EQ(sound.played.size(), 1);

    state.settings.update([&](Settings& s) {
        s.alarmSound = true;
        s.soundDirectory.clear();
        s.soundFileName.clear();
    });
    center.showNotice("A", "", 0);
    EXPECT_EQ(sound.played.size(), 1);
}

TEST_F(NoticeCenterTest, CloseAllAtExitClosesEveryNotice) {
    center.showNotice("A", "", 1);
    center.showNotice("B", "", 1);
    state.settings.update([&](Settings& s) { s.activeDisplay = true; });
    center.closeAll();
    EXPECT_TRUE(center.openNotices().isEmpty());
    EXPECT_EQ(center.openCount(), 0);
    EXPECT_TRUE(board.raises.empty()); // exiting does not raise the board
}

TEST_F(NoticeCenterTest, UnknownKindOpensNothing) {
    center.showNotice("A", "", -1);
    EXPECT_TRUE(center.openNotices().isEmpty());
    EXPECT_EQ(center.openCount(), 0);
    EXPECT_TRUE(sound.played.isEmpty());
}

} // namespace
} // namespace tanzo
