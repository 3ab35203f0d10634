#include "NoticeCenter.h"

#include "Cascade.h"
#include "NoticeText.h"
#include "NoticeWindow.h"
#include "core/Settings.h"
#include "platform/SoundPlayer.h"
#include "platform/Twips.h"
#include "platform/WindowSystem.h"

#include <QApplication>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace tanzo {
namespace {

// Marks a notice window placed before any notice's frame was known.
constexpr char kGuessedFrame[] = "tanzoGuessedFrame";
// How long the window manager is given to frame a notice once it is on the
// screen: 50 looks, 10 ms apart.
constexpr int kFramePollMs = 10;
constexpr int kFramePolls = 50;

QSize measuredFrame(const QWidget* window) {
    return window->frameGeometry().size() - window->size();
}

} // namespace

NoticeCenter::NoticeCenter(const Settings& settings, QIcon icon, SoundPlayer& sound)
    : m_settings(settings), m_icon(std::move(icon)), m_sound(sound), m_frameProbe(&measuredFrame) {}

NoticeCenter::~NoticeCenter() {
    for (const QPointer<NoticeWindow>& window : std::as_const(m_windows))
        delete window.data();
}

QList<NoticeWindow*> NoticeCenter::openNotices() const {
    QList<NoticeWindow*> open;
    for (const QPointer<NoticeWindow>& window : m_windows)
        if (window)
            open.append(window.data());
    return open;
}

void NoticeCenter::showNotice(const QString& place, const QString& comment, int kind,
                              NoticeShown shown, std::optional<int> leadMinutes) {
    const NoticeText text =
        noticeText(place, comment, kind, leadMinutes.value_or(m_settings.preAlarmMinute));
    if (text.caption.isEmpty()) {
        // Nothing to show: the notice must not come due again every second.
        if (shown)
            shown();
        return;
    }

    const QList<NoticeWindow*> open = openNotices();
    NoticeWindow* previous = open.isEmpty() ? nullptr : open.last();

    if (m_shown < std::numeric_limits<int16_t>::max())
        ++m_shown;

    const Twips twips = Twips::fromPrimaryScreen();
    auto* window = new NoticeWindow(text, m_icon, twips);
    m_windows.append(window);
    connect(window, &NoticeWindow::dismissed, this, &NoticeCenter::forgetDismissedNotice);
    connect(window, &NoticeWindow::appeared, this, [this, shown](NoticeWindow*) {
        if (shown)
            shown();
        schedulePlaceAnew();
    });

    const QSize frame = cascadeFrame(open);
    // The new window steps on from where the earlier ones would have been
    // placed with the frame known; if it is not known yet, it is placed on
    // the guess and again once it is (see placeAnew).
    if (frameKnown())
        placeGuessedAgain(open);
    window->setProperty(kGuessedFrame, !frameKnown());
    const QRect rect(cascadeCorner(previous, window, frame), window->size());

    // In front once, but not kept above the windows the user turns to next.
    // A new window is mapped on top of the others; a stay-on-top flag set
    // and cleared before the window manager has mapped it would stick.
    // Without taking the keyboard: what the user types into another window
    // must not land in the notice (Enter would close it unseen). The window
    // manager's attention hint marks it instead.
    windowSystem().placeFrameAt(window, rect.topLeft(), Focus::Leave);
    QApplication::alert(window);
    window->announce();

    // The sound starts right away; the player is asynchronous, and the window
    // is mapped by the event loop as soon as this tick's handler returns.
    const QString path = m_settings.soundPath();
    if (m_settings.alarmSound && !path.isEmpty())
        m_sound.play(path);
}

// Where the outer corner of `window` goes, one step on from `previous`.
QPoint NoticeCenter::cascadeCorner(const NoticeWindow* previous, const QWidget* window,
                                   QSize frame) const {
    const Twips twips = Twips::fromPrimaryScreen();
    CascadeInput in;
    // Outer corners, as the cascade steps by the outer frame: the previous
    // window's is known even before the window manager has framed it. The
    // outer size too: the restart looks at where the frame's right edge
    // would be.
    if (previous)
        in.previous = previous->pos();
    in.windowTwips = QSizeF(twips.fromPixels(window->width() + frame.width()),
                            twips.fromPixels(window->height() + frame.height()));
    in.frameTwips = twips.fromPixels(frame.height());
    in.screenTwips = Twips::screenSizeTwips();
    in.twipsPerPixelX = twips.perPixel();
    in.twipsPerPixelY = twips.perPixel();
    return cascadePosition(in);
}

void NoticeCenter::raiseOpenNotices() {
    for (NoticeWindow* window : openNotices())
        windowSystem().raiseOnce(window, Focus::Leave);
}

// Notices opened before any had been framed (several in one tick, the
// first of the day) were placed with a guessed frame: no borders, the
// style's title bar. Once the window manager has framed one, the frame is
// known, and those windows are placed again as if it had been known: the
// same step throughout, and a restart wherever a frame's right edge would
// cross the line. Until then it looks again a few times.
void NoticeCenter::placeAnew(int pollsLeft) {
    m_placeAnewPending = false;
    const QList<NoticeWindow*> open = openNotices();
    if (!hasGuessedFrame(open))
        return;
    cascadeFrame(open);
    if (frameKnown()) {
        placeGuessedAgain(open);
    } else if (pollsLeft > 0) {
        m_placeAnewPending = true;
        QTimer::singleShot(kFramePollMs, this, [this, pollsLeft] { placeAnew(pollsLeft - 1); });
    } else {
        // No frame (a platform without decorations): the guess stands, and
        // the windows do not move later on.
        forgetGuesses(open);
    }
}

void NoticeCenter::schedulePlaceAnew() {
    if (m_placeAnewPending)
        return;
    m_placeAnewPending = true;
    // Not from inside the paint that told of the window.
    QTimer::singleShot(0, this, [this] { placeAnew(kFramePolls); });
}

bool NoticeCenter::hasGuessedFrame(const QList<NoticeWindow*>& open) {
    return std::any_of(open.cbegin(), open.cend(),
                       [](const NoticeWindow* w) { return w->property(kGuessedFrame).toBool(); });
}

// A lone window placed on the guess stays where it is (the next steps on
// from where it really is); a cascade of them is placed again.
void NoticeCenter::placeGuessedAgain(const QList<NoticeWindow*>& open) {
    const auto guessed = std::count_if(open.cbegin(), open.cend(), [](const NoticeWindow* w) {
        return w->property(kGuessedFrame).toBool();
    });
    const NoticeWindow* previous = nullptr;
    for (NoticeWindow* window : open) {
        if (window->property(kGuessedFrame).toBool()) {
            window->setProperty(kGuessedFrame, false);
            if (guessed > 1)
                window->move(cascadeCorner(previous, window, m_knownFrame));
        }
        previous = window;
    }
}

void NoticeCenter::forgetGuesses(const QList<NoticeWindow*>& open) {
    for (NoticeWindow* window : open)
        window->setProperty(kGuessedFrame, false);
}

// How much the window manager's frame adds to a notice, in pixels: the
// borders' width, and the title bar's and borders' height (the cascade's
// step). It frames a window only after it is mapped, so notices opened in
// the same tick are not framed yet when the next one is placed; the frame
// measured on any framed notice (now or earlier) stands in, so that every
// step of the cascade is the same. Before any notice has been framed (and
// on platforms without decorations) the style's title-bar height does, with
// no borders.
QSize NoticeCenter::cascadeFrame(const QList<NoticeWindow*>& open) {
    for (auto it = open.crbegin(); it != open.crend(); ++it) {
        const QSize measured = m_frameProbe ? m_frameProbe(*it) : QSize();
        if (measured.height() > 0) {
            m_knownFrame = measured;
            break;
        }
    }
    if (frameKnown())
        return m_knownFrame;
    const QStyle* style = QApplication::style();
    return {0, style ? style->pixelMetric(QStyle::PM_TitleBarHeight) : 24};
}

void NoticeCenter::forgetDismissedNotice(NoticeWindow* window) {
    m_windows.removeAll(window);
    const Settings& settings = m_settings;
    if (!settings.topMost && settings.activeDisplay) {
        emit boardWanted();
        // The board comes back, but not over the notices still open.
        raiseOpenNotices();
    }
}

void NoticeCenter::closeAll() {
    const QList<NoticeWindow*> open = openNotices();
    m_windows.clear();
    for (NoticeWindow* window : open) {
        disconnect(window, nullptr, this, nullptr);
        window->close();
    }
}

} // namespace tanzo
