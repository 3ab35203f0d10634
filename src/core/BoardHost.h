#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>

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
    // Places the board: its rectangle and the given z-order
    // (see WindowPlacement.h).
    virtual void placeBoard(int insertAfter, const QRect& pixels, int flags) = 0;

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
