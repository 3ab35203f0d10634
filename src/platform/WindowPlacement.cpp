#include "WindowPlacement.h"

#include "X11WindowState.h"

#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace tanzo {
namespace {

void raiseAboveWhenMapped(QWidget* window, int pollsLeft);

// The z-order state a window is meant to have, kept apart from the
// toolkit's flags on X11 (see setStaysOnTop).
constexpr char kOnTopProperty[] = "tanzoStaysOnTop";
constexpr char kAbove[] = "_NET_WM_STATE_ABOVE";

// How long a freshly shown window is waited for until the window manager
// has mapped it: 40 looks, 10 ms apart.
constexpr int kMapPollMs = 10;
constexpr int kMapPolls = 40;

// Asks for the above state once the window manager has mapped the window:
// a state it finds already set when it maps a window, icewm will not take
// back later.
void raiseAboveWhenMapped(QWidget* window, int pollsLeft) {
    QPointer<QWidget> guard(window);
    QTimer::singleShot(kMapPollMs, window, [guard, pollsLeft] {
        if (!guard || !guard->isVisible() || !staysOnTop(guard))
            return;
        if (x11::isMapped(guard))
            x11::setNetWmState(guard, true, kAbove);
        else if (pollsLeft > 0)
            raiseAboveWhenMapped(guard, pollsLeft - 1);
    });
}

} // namespace

bool staysOnTop(const QWidget* window) {
    const QVariant meant = window->property(kOnTopProperty);
    return meant.isValid() ? meant.toBool()
                           : window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void setStaysOnTop(QWidget* window, bool on) {
    window->setProperty(kOnTopProperty, on);
    if (x11::isActive()) {
        // On X11 the state goes to the window manager directly and never
        // into the toolkit's flags: a window mapped with the above state
        // cannot lose it under icewm, and a flag change on a hidden window
        // makes a new native window without the task-bar exclusion.
        if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            window->overrideWindowFlags(window->windowFlags() & ~Qt::WindowStaysOnTopHint);
        if (x11::isMapped(window))
            x11::setNetWmState(window, on, kAbove);
        else if (window->internalWinId())
            x11::setNetWmState(window, false, kAbove); // asked again once mapped
        if (on && window->isVisible() && !x11::isMapped(window))
            raiseAboveWhenMapped(window, kMapPolls);
        return;
    }
    Qt::WindowFlags flags = window->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a visible widget's flags the usual way would unmap it.
    window->overrideWindowFlags(flags);
    if (QWindow* handle = window->windowHandle())
        handle->setFlags(flags);
}

void setWindowPos(QWidget* window, InsertAfter insertAfter, const QRect& pixels, int flags) {
    if (!window)
        return;
    if (insertAfter == InsertAfter::TopMost)
        setStaysOnTop(window, true);
    else if (insertAfter == InsertAfter::NoTopMost)
        setStaysOnTop(window, false);

    if (flags & NoSize)
        window->move(pixels.topLeft()); // the frame's corner
    else
        window->setGeometry(pixels);

    if (flags & ShowWindow) {
        const bool noActivate = (flags & NoActivate) != 0;
        window->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
        // The toolkit hands the attribute to the native window only when it
        // creates it; one made earlier (its position asked for, say) reads
        // this property of its own at each show.
        if (QWindow* handle = window->windowHandle())
            handle->setProperty("_q_showWithoutActivating", noActivate);
        const bool wasMapped = x11::isMapped(window);
        if (window->isMinimized())
            window->showNormal();
        else
            window->show();
        if (x11::isActive() && staysOnTop(window) && !wasMapped)
            raiseAboveWhenMapped(window, kMapPolls);
    }
    window->raise();
    if (!(flags & NoActivate) && (flags & ShowWindow))
        window->activateWindow();
}

} // namespace tanzo
