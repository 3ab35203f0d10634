#pragma once

class QWidget;

namespace tanzo {

// Keeps a window out of the task bar and the pager. Qt's tool windows are
// not enough for every window manager (icewm lists them), so on X11 the
// window also carries _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER.
// Call it whenever the window is about to be shown: a native window made
// anew (after a hide, or a change of flags) starts without the state.
void keepOutOfTaskBar(QWidget* window);

} // namespace tanzo
