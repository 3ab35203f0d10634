#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace tanzo {

// Whether a window that is shown or brought forward takes the keyboard.
enum class Focus { Take, Leave };

// What the program asks of the desktop for its top-level windows. One backend
// per desktop (see WindowPlacement.h): the X11 one talks to the window
// manager where the toolkit's flags are not enough; the toolkit one serves
// other platforms and the offscreen tests.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Shows the window with this pixel rectangle, in front of its layer.
    virtual void placeAt(QWidget* window, const QRect& pixels, Focus focus) = 0;
    // The same, keeping the window's size and putting its outer frame (title
    // bar included) at `frameCorner`.
    virtual void placeFrameAt(QWidget* window, QPoint frameCorner, Focus focus) = 0;
    // Brings the window in front of all others once, without keeping it
    // there unless it stays on top anyway. A hidden window is just shown.
    virtual void raiseOnce(QWidget* window, Focus focus) = 0;
    // Keeps the window above all others, or lets it go back among them,
    // without hiding and re-showing it.
    virtual void setStaysOnTop(QWidget* window, bool on) = 0;
    // Whether the window is meant to stay on top (the last setStaysOnTop).
    virtual bool staysOnTop(const QWidget* window) const = 0;
};

// The backend for the desktop the program runs on.
WindowSystem& windowSystem();

} // namespace tanzo
