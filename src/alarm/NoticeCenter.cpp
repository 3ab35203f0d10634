#include "NoticeCenter.h"

#include "Cascade.h"
#include "NoticeText.h"
#include "NoticeWindow.h"
#include "core/BoardHost.h"
#include "core/Settings.h"
#include "platform/SoundPlayer.h"
#include "platform/Twips.h"
#include "platform/WindowSystem.h"

#include <QApplication>
#include <QStyle>

#include <limits>

namespace tanzo {
namespace {

QSize measuredFrame(const QWidget* window) {
    return window->frameGeometry().size() - window->size();
}

} // namespace

NoticeCenter::NoticeCenter(const Settings& settings, BoardHost& board, SoundPlayer& sound)
    : m_settings(settings), m_board(board), m_sound(sound), m_frameProbe(&measuredFrame) {}

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

void NoticeCenter::showNotice(const QString& place, const QString& comment, int kind) {
    const NoticeText text = noticeText(place, comment, kind, m_settings.preAlarmMinute);
    if (text.caption.isEmpty())
        return;

    const QList<NoticeWindow*> open = openNotices();
    NoticeWindow* previous = open.isEmpty() ? nullptr : open.last();

    if (m_shown < std::numeric_limits<int16_t>::max())
        ++m_shown;

    const Twips twips = Twips::fromPrimaryScreen();
    auto* window = new NoticeWindow(text, m_board.boardIcon(), twips);
    m_windows.append(window);
    connect(window, &NoticeWindow::dismissed, this, &NoticeCenter::forgetDismissedNotice);

    const QSize frame = cascadeFrame(open);
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
    const QRect rect(cascadePosition(in), window->size());

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
    if (m_knownFrame.height() > 0)
        return m_knownFrame;
    const QStyle* style = QApplication::style();
    return {0, style ? style->pixelMetric(QStyle::PM_TitleBarHeight) : 24};
}

void NoticeCenter::forgetDismissedNotice(NoticeWindow* window) {
    m_windows.removeAll(window);
    const Settings& settings = m_settings;
    if (!settings.topMost && settings.activeDisplay) {
        m_board.raiseBoardOnce(Focus::Take);
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
