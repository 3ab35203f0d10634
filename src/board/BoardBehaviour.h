#pragma once

#include <QPoint>
#include <Qt>

namespace tanzo {

// What the board window's user input does: the board window itself only
// draws and animates, and hands its clicks, drags and keys on here.
class BoardBehaviour {
public:
    virtual ~BoardBehaviour() = default;

    // The command label was clicked at `globalAt` (the pointer, or the
    // label's middle when assistive technology pressed it).
    virtual void openCommandMenu(const QPoint& globalAt) = 0;
    // A button went down on the title, the cursor at `globalCursor`.
    virtual void startDrag(Qt::MouseButton button, const QPoint& globalCursor) = 0;
    virtual void endDrag(Qt::MouseButton button) = 0;
    // The pointer moved over the board.
    virtual void followPointer(const QPoint& globalCursor) = 0;
    // The tray label was clicked.
    virtual void hideToTray() = 0;
    // The pointer is over comment label `index` (0..5).
    virtual void showCommentTip(int index) = 0;
    // A key pressed on the board; returns true when the key was taken.
    virtual bool runKey(int qtKey, Qt::KeyboardModifiers modifiers) = 0;
    // Brings the board back from the tray; a fill does this too when the
    // board is to come forward on new content.
    virtual void restoreFromTray() = 0;
    // TopMost and ShowTask changed elsewhere (the options dialog).
    virtual void applyWindowOptions() = 0;
    // The board is hidden in the task tray.
    virtual bool isInTray() const = 0;
};

} // namespace tanzo
