#pragma once

#include "platform/WindowSystem.h"

#include <QDate>
#include <QFont>
#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace tanzo {

// The board window as the rest of the program reaches it: the notices, the
// editor, the options and version windows, and the board's own commands,
// paging, drag and tray presence. The real one is MainWindow; tests stand a
// recording one in its place. What the user does on the board comes back as
// MainWindow's signals.
class BoardView {
public:
    virtual ~BoardView() = default;

    // Where it stands. Rectangles are in pixels (left, top, width, height).
    virtual QRect boardRect() const = 0;
    // Moves the board's left or top edge, keeping its size.
    virtual void moveBoardTo(int left, int top) = 0;
    // Shows the board with this rectangle, in front of its layer; a board
    // hidden in the tray is out of it from here on.
    virtual void placeBoardAt(const QRect& pixels, Focus focus) = 0;
    // Brings the board in front of all other windows once (see WindowSystem).
    virtual void raiseBoardOnce(Focus focus) = 0;
    // Keeps the board above all other windows or lets it go back among them;
    // either way it comes forward in its layer.
    virtual void setBoardStaysOnTop(bool on) = 0;
    // Takes the board off the screen, keeping its size, until it is placed
    // again; the tray presence decides when.
    virtual void hideInTray() = 0;
    virtual bool isInTray() const = 0;

    // How it looks: the layout for a size (0 Big, 1 Middle, 2 Small), the
    // board font (the first sequence cell's), its icon (which the other
    // windows reuse) and its widget as a parent for boxes (null in tests).
    virtual void applyBoardLayout(int size) = 0;
    virtual QFont boardFont() const = 0;
    virtual QIcon boardIcon() const = 0;
    virtual QWidget* boardWidget() = 0;

    // Redraws the rows from list index `firstIndex` on, showing the
    // appointments dated `from` to `to`. Asynchronous: `done` runs once the
    // rows are drawn.
    virtual void fillBoard(int firstIndex, QDate from, QDate to, bool force,
                           std::function<void()> done) = 0;
    virtual bool fillRunning() const = 0;
    // The board is closing for good: the page follows neither the list nor
    // the clock any more.
    virtual bool closing() const = 0;
    // The tool tip of row `row`'s (0-2) comment; "" for none.
    virtual void setCommentToolTip(int row, const QString& tip) = 0;

    // Where the command menu opens from the keyboard: below the command
    // control (□), in global pixels.
    virtual QPoint commandMenuAnchor() const = 0;
    // The command control shows whether its menu is open (■) or not (□).
    virtual void showCommandMenuOpen(bool open) = 0;
};

} // namespace tanzo
