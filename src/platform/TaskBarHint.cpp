#include "TaskBarHint.h"

#include "X11WindowState.h"

namespace tanzo {

void keepOutOfTaskBar(QWidget* window) {
    x11::setNetWmState(window, true, "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER");
}

} // namespace tanzo
