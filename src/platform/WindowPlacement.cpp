#include "WindowPlacement.h"

#include "X11WindowState.h"

#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace tanzo {
namespace {

// The z-order state a window is meant to have, kept apart from the
// toolkit's flags on X11 (see X11Windows::setStaysOnTop).
constexpr char kOnTopProperty[] = "tanzoStaysOnTop";
constexpr char kAbove[] = "_NET_WM_STATE_ABOVE";

// How long a freshly shown window is waited for until the window manager
// has mapped it: 40 looks, 10 ms apart.
constexpr int kMapPollMs = 10;
constexpr int kMapPolls = 40;

} // namespace

WindowSystem& windowSystem() {
    static ToolkitWindows toolkit;
    static X11Windows x11Windows;
    if (x11::isActive())
        return x11Windows;
    return toolkit;
}

void ToolkitWindows::placeAt(QWidget* window, const QRect& pixels, Focus focus) {
    if (!window)
        return;
    window->setGeometry(pixels);
    showInFront(window, focus);
}

void ToolkitWindows::placeFrameAt(QWidget* window, QPoint frameCorner, Focus focus) {
    if (!window)
        return;
    window->move(frameCorner);
    showInFront(window, focus);
}

void ToolkitWindows::raiseOnce(QWidget* window, Focus focus) {
    if (!window)
        return;
    // A hidden window comes up in front when it is shown. Its stay-on-top
    // state must not flip while it is hidden: the toolkit would rebuild the
    // native window at the next show and keep the stale state, leaving the
    // window above everything.
    if (!window->isVisible()) {
        showInFront(window, focus);
        return;
    }
    // On top and straight back: the window manager puts a window that turns
    // stay-on-top above all others and leaves it there when it turns back.
    const bool stays = staysOnTop(window);
    setStaysOnTop(window, true);
    showInFront(window, focus);
    if (!stays) {
        setStaysOnTop(window, false);
        showInFront(window, focus);
    }
}

bool ToolkitWindows::staysOnTop(const QWidget* window) const {
    const QVariant meant = window->property(kOnTopProperty);
    return meant.isValid() ? meant.toBool()
                           : window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void ToolkitWindows::setStaysOnTop(QWidget* window, bool on) {
    window->setProperty(kOnTopProperty, on);
    Qt::WindowFlags flags = window->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a visible widget's flags the usual way would unmap it.
    window->overrideWindowFlags(flags);
    if (QWindow* handle = window->windowHandle())
        handle->setFlags(flags);
}

void ToolkitWindows::showInFront(QWidget* window, Focus focus) {
    const bool quiet = focus == Focus::Leave;
    window->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
    // The toolkit hands the attribute to the native window only when it
    // creates it; one made earlier (its position asked for, say) reads this
    // property of its own at each show.
    if (QWindow* handle = window->windowHandle())
        handle->setProperty("_q_showWithoutActivating", quiet);
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    if (!quiet)
        window->activateWindow();
}

void X11Windows::setStaysOnTop(QWidget* window, bool on) {
    window->setProperty(kOnTopProperty, on);
    // The state goes to the window manager directly and never into the
    // toolkit's flags: a window mapped with the above state cannot lose it
    // under icewm, and a flag change on a hidden window makes a new native
    // window without the task-bar exclusion.
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        window->overrideWindowFlags(window->windowFlags() & ~Qt::WindowStaysOnTopHint);
    if (x11::isMapped(window))
        x11::setNetWmState(window, on, kAbove);
    else if (window->internalWinId())
        x11::setNetWmState(window, false, kAbove); // asked again once mapped
    if (on && window->isVisible() && !x11::isMapped(window))
        raiseAboveWhenMapped(window, kMapPolls);
}

void X11Windows::showInFront(QWidget* window, Focus focus) {
    const bool wasMapped = x11::isMapped(window);
    ToolkitWindows::showInFront(window, focus);
    if (staysOnTop(window) && !wasMapped)
        raiseAboveWhenMapped(window, kMapPolls);
}

// Asks for the above state once the window manager has mapped the window:
// a state it finds already set when it maps a window, icewm will not take
// back later.
void X11Windows::raiseAboveWhenMapped(QWidget* window, int pollsLeft) {
    QPointer<QWidget> guard(window);
    QTimer::singleShot(kMapPollMs, window, [this, guard, pollsLeft] {
        if (!guard || !guard->isVisible() || !staysOnTop(guard))
            return;
        if (x11::isMapped(guard))
            x11::setNetWmState(guard, true, kAbove);
        else if (pollsLeft > 0)
            raiseAboveWhenMapped(guard, pollsLeft - 1);
    });
}

} // namespace tanzo
