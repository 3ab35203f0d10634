#include "alarm/NoticeCenter.h"
#include "alarm/NoticeWindow.h"
#include "alarm/Ticker.h"
#include "core/AppContext.h"
#include "core/Colors.h"
#include "platform/Twips.h"
#include "platform/WindowSystem.h"
#include "support/ManualClock.h"
#include "support/RecordingNotices.h"
#include "support/RecordingSoundPlayer.h"
#include "support/StoredEntries.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
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
    QTemporaryDir dataDir;
    AppContext state{clock, dataDir.path() + QLatin1Char('/')};
    test::RecordingSoundPlayer sound;
    NoticeCenter center{state.settings.values(), boardIcon(), sound};
    // Each time the board is asked to come forward.
    QSignalSpy boardWanted{&center, &NoticeCenter::boardWanted};

private:
    static QIcon boardIcon() {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    }
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

// Twelve notices in one tick, the first of the day: none is framed when
// the next is placed, so they go up on a guessed frame (no borders). Once
// the window manager has framed them, every one is placed as if the frame
// had been known: the same step, and a restart for any window whose frame
// would end past 80 % of the screen (on a 1280 px screen window 12 once
// stayed at x = 789 with 244 px outside, ending at 1033 > 1024).
TEST_F(NoticeCenterTest, NoticesPlacedBeforeTheFrameWasKnownArePlacedAgainOnceItIs) {
    constexpr int borders = 14;
    constexpr int titleBar = 24;
    bool framed = false;
    center.setFrameProbe(
        [&framed](const QWidget*) { return framed ? QSize(borders, titleBar) : QSize(); });
    for (int i = 0; i < 12; ++i)
        center.showNotice(QString::number(i), "", 1);
    const QList<NoticeWindow*> open = center.openNotices();
    const QSize screen = Twips::screenSizePixels();
    const auto pastTheLine = [&](const QWidget* w) {
        return (w->x() + w->width() + borders) * 10 > screen.width() * 8;
    };
    ASSERT_TRUE(std::any_of(open.cbegin(), open.cend(), pastTheLine))
        << "placed on the guess, a frame ends past the line";

    framed = true; // the window manager frames them as they are mapped
    for (NoticeWindow* w : open)
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QTest::qWait(50);

    const QPoint restart(static_cast<int>(std::lrint(0.3 * screen.width())),
                         static_cast<int>(std::lrint(0.3 * screen.height())));
    EXPECT_EQ(open[0]->x(), (screen.width() - open[0]->width() - borders) / 2)
        << "the first is centred with its borders";
    int restarts = 0;
    for (int i = 0; i < open.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(pastTheLine(open[i]));
        if (i == 0)
            continue;
        if (open[i]->pos() == restart)
            ++restarts;
        else
            EXPECT_EQ(open[i]->pos() - open[i - 1]->pos(), QPoint(titleBar, titleBar));
    }
    EXPECT_GE(restarts, 1);

    // A later notice steps on from the windows as they are now.
    center.showNotice("next", "", 1);
    EXPECT_TRUE(last()->pos() - open.last()->pos() == QPoint(titleBar, titleBar) ||
                last()->pos() == restart);
    EXPECT_FALSE(pastTheLine(last()));
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
        boardWanted.clear();
        state.settings.update([&](Settings& s) {
            s.topMost = c.topMost;
            s.activeDisplay = c.activeDisplay;
        });
        center.showNotice("A", "", 1);
        const int before = center.openCount();
        QTest::mouseClick(last()->okButton(), Qt::LeftButton);
        EXPECT_EQ(center.openCount(), before - 1);
        EXPECT_EQ(boardWanted.count(), c.raised ? 1 : 0);
    }
}

// The window manager activates a notice that opens while the user is in
// the program (its menu open): the key meant for the menu must not close
// it. A click into it is the user turning to it.
TEST_F(NoticeCenterTest, EnterClosesANoticeOnlyOnceTheUserHasTurnedToIt) {
    center.showNotice("A", "", 1);
    NoticeWindow* w = last();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QTest::qWait(30); // it accepts the focus once mapped
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    w->activateWindow(); // the window manager's doing, at once
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w->okButton(), Qt::Key_Return);
    EXPECT_EQ(center.openCount(), 1) << "Return right after it appeared";
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(w->okButton(), Qt::Key_Return);
    EXPECT_EQ(center.openCount(), 0);
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
    EXPECT_EQ(boardWanted.count(), 0); // exiting does not raise the board
}

// The ticker with these windows: a notice counts as given, and its flags
// are written, only once its window is on the screen.
class GivenNoticesTest : public NoticeCenterTest {
protected:
    GivenNoticesTest() {
        clock.set(QDate(2027, 3, 15), QTime(10, 0, 0));
        DayList list;
        for (const char* place : {"会議室", "本社", "倉庫", "支店", "食堂"})
            list.push_back(entryAt(10, 0, place));
        list.push_back(entryAt(11, 0, "後で"));
        EXPECT_TRUE(test::storeEntries(store, list));
    }
    ScheduleEntry entryAt(int hour, int minute, const QString& place) const {
        ScheduleEntry e;
        e.dateSerial = daySerial(clock.today());
        e.startTime = timeFraction(hour, minute);
        e.status = 3;
        e.place = fitPlace(place);
        return e;
    }
    static QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList arrivedPlaces() const {
        QStringList places;
        for (const ScheduleEntry& e : store.entries()) {
            if (e.arrived)
                places << trimSpaces(e.place);
        }
        return places;
    }

    QTemporaryDir dir;
    AppContext own{clock, dir.path() + "/"};
    ScheduleStore& store = own.schedule;
    Ticker ticker{clock, store, state.settings.values(), sound,
                  [this](const QString& place, const QString& comment, int kind, int leadMinutes,
                         NoticeShown shown) {
                      center.showNotice(place, comment, kind, std::move(shown), leadMinutes);
                  }};
};

TEST_F(GivenNoticesTest, FlagsAreWrittenOnlyForWindowsOnTheScreen) {
    QSignalSpy started(&ticker, &Ticker::startNoticeGiven);
    const QByteArray asRead = fileBytes(store.path());
    ticker.tick();
    ASSERT_EQ(center.openCount(), 5);
    EXPECT_TRUE(arrivedPlaces().isEmpty()) << "no window is on the screen yet";
    EXPECT_EQ(fileBytes(store.path()), asRead) << "nothing written";
    clock.advanceSeconds(1);
    ticker.tick();
    EXPECT_EQ(center.openCount(), 5) << "a notice on its way is not handed out again";

    // The list is read again meanwhile: an appointment comes first and the
    // indices move. The flags go to the noticed appointments all the same.
    DayList moved = store.entries();
    moved.insert(moved.begin(), entryAt(9, 0, "朝礼"));
    EXPECT_TRUE(test::storeEntries(store, moved));
    // One window is closed before it ever came on the screen.
    NoticeWindow* unseen = center.openNotices().at(2);
    unseen->close();
    for (NoticeWindow* w : center.openNotices())
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QCoreApplication::processEvents();

    EXPECT_EQ(arrivedPlaces(), (QStringList{"会議室", "本社", "支店", "食堂"}));
    EXPECT_EQ(started.count(), 1) << "the board moves on once, when the flags are set";
    QFile file(store.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("-1,-1"), 4);
}

// An event's own reminder opens an advance notice that says its own lead,
// and is marked given (for the subscriptions to keep) once its window is on
// the screen; until then the next ticks do not hand it out again.
TEST_F(GivenNoticesTest, AnEventsOwnReminderIsGivenOnceOnTheScreen) {
    ReadOnlyEntry dentist{entryAt(11, 30, "歯医者"), QStringLiteral("cal"), QStringLiteral("k")};
    const qint64 at = clock.now().toSecsSinceEpoch();
    dentist.reminders = {{at, false}};
    test::RecordingNotices owner;
    store.setReadOnlyNotices(&owner);
    store.setReadOnlyEntries({dentist});
    const auto& reminded = owner.reminded;
    ticker.tick();
    ASSERT_EQ(center.openCount(), 6);
    clock.advanceSeconds(1);
    ticker.tick();
    EXPECT_EQ(center.openCount(), 6);
    EXPECT_EQ(reminded.size(), 0u);
    QStringList titles;
    for (NoticeWindow* w : center.openNotices()) {
        titles << w->windowTitle();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    EXPECT_TRUE(titles.contains(QStringLiteral("予告 - 歯医者"))) << titles.join(',').toStdString();
    QCoreApplication::processEvents();
    ASSERT_EQ(reminded.size(), 1u);
    EXPECT_EQ(reminded[0], std::pair(QStringLiteral("k"), at));
    EXPECT_TRUE(store.readOnlyEntries()[0].reminders[0].given);
    clock.advanceSeconds(1);
    ticker.tick();
    EXPECT_EQ(center.openCount(), 6);
    store.setReadOnlyNotices(nullptr);
}

TEST_F(NoticeCenterTest, UnknownKindOpensNothing) {
    center.showNotice("A", "", -1);
    EXPECT_TRUE(center.openNotices().isEmpty());
    EXPECT_EQ(center.openCount(), 0);
    EXPECT_TRUE(sound.played.isEmpty());
}

} // namespace
} // namespace tanzo
