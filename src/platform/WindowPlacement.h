#pragma once

#include "WindowSystem.h"

namespace tanzo {

// The window layer through the toolkit alone: stay-on-top as a window flag.
// Used where there is no X11 (the offscreen tests among them).
class ToolkitWindows : public WindowSystem {
public:
    void placeAt(QWidget* window, const QRect& pixels, Focus focus) override;
    void placeFrameAt(QWidget* window, QPoint frameCorner, Focus focus) override;
    void raiseOnce(QWidget* window, Focus focus) override;
    void setStaysOnTop(QWidget* window, bool on) override;
    bool staysOnTop(const QWidget* window) const override;

protected:
    // Shows (or un-minimises) the window, raises it and, if asked, activates it.
    virtual void showInFront(QWidget* window, Focus focus);
};

// The window layer on X11: the above state goes to the window manager
// directly (see X11WindowState.h).
class X11Windows : public ToolkitWindows {
public:
    void setStaysOnTop(QWidget* window, bool on) override;

protected:
    void showInFront(QWidget* window, Focus focus) override;

private:
    void raiseAboveWhenMapped(QWidget* window, int pollsLeft);
};

} // namespace tanzo
