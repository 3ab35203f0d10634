#pragma once

class QWidget;

namespace tanzo::x11 {

// Window-manager states (EWMH _NET_WM_STATE) asked for on a window's native
// X11 window. The toolkit sets them only as part of its window flags, and
// icewm does not take every such change on a window it already manages; so
// these go to the window manager directly. Each does nothing (and returns
// false) off the xcb platform or before the window has a native window.

// True on the xcb platform with a connection to the X server.
bool isActive();

// Whether the window's native window is mapped (shown by the server).
bool isMapped(QWidget* window);

// Adds or removes up to two states, e.g. "_NET_WM_STATE_ABOVE". The window
// manager is asked with a client message to the root window; an unmapped
// window also gets its property changed, which the window manager reads
// when the window is mapped.
bool setNetWmState(QWidget* window, bool add, const char* state, const char* second = nullptr);

} // namespace tanzo::x11
