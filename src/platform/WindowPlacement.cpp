#include "WindowPlacement.h"

#include <QWidget>
#include <QWindow>

namespace tanzo {

void setStaysOnTop(QWidget* window, bool on) {
    Qt::WindowFlags flags = window->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
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

    window->setGeometry(pixels);

    if (flags & ShowWindow) {
        const bool noActivate = (flags & NoActivate) != 0;
        window->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
        if (window->isMinimized())
            window->showNormal();
        else
            window->show();
    }
    window->raise();
    if (!(flags & NoActivate) && (flags & ShowWindow))
        window->activateWindow();
}

} // namespace tanzo
