#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>

#include "platform/WindowSystem.h"

namespace tanzo {

// What the notice windows, the schedule editor and the options dialog need
// of the board window, without depending on the board's code.
class BoardHost {
public:
    virtual ~BoardHost() = default;

    // Lays the board out for a size (0 Big, 1 Middle, 2 Small).
    virtual void applyBoardLayout(int size) = 0;

    // The board window's rectangle in pixels (left, top, width, height).
    virtual QRect boardRect() const = 0;
    // Moves the board's left or top edge (pixels), keeping its size.
    virtual void moveBoardTo(int left, int top) = 0;
    // Shows the board with this rectangle, in front of its layer.
    virtual void placeBoardAt(const QRect& pixels, Focus focus) = 0;
    // Brings the board in front of all other windows once (see WindowSystem).
    virtual void raiseBoardOnce(Focus focus) = 0;
    // Keeps the board above all other windows or lets it go back among them;
    // either way it comes forward in its layer.
    virtual void setBoardStaysOnTop(bool on) = 0;

    // Brings the board's z-order and task-bar button in line with the
    // settings TopMost and ShowTask (after the options dialog applied).
    virtual void applyWindowOptions() = 0;
    // The board is hidden in the task tray.
    virtual bool isInTray() const = 0;

    // The board font (the font of the first sequence cell).
    virtual QFont boardFont() const = 0;
    // The board's icon, reused by the other windows.
    virtual QIcon boardIcon() const = 0;
    // The board's widget, as a parent for boxes; may be null in tests.
    virtual QWidget* boardWidget() = 0;
};

} // namespace tanzo
