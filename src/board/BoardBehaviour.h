#pragma once

#include <QPoint>
#include <Qt>

namespace tanzo {

// The board window forwards its user input here: the command label, the
// title drag, the tray button, the comment tool tip and the keys. The board
// window itself only draws and animates.
class BoardBehaviour {
public:
    virtual ~BoardBehaviour() = default;

    virtual void controlClicked() = 0; // lblCntl
    // The button went down on the title, the cursor at `globalCursor`.
    virtual void titleMouseDown(Qt::MouseButton button, const QPoint& globalCursor) = 0;
    virtual void titleMouseUp(Qt::MouseButton button) = 0;
    virtual void formMouseMove(const QPoint& globalCursor) = 0;
    virtual void miniClicked() = 0;               // lblMini
    virtual void commentMouseMove(int index) = 0; // lblComment element 0..5
    // A key pressed on the board; returns true when the key was taken.
    virtual bool keyDown(int qtKey, Qt::KeyboardModifiers modifiers) = 0;
    // Brings the board back from the tray; a fill does this too when the
    // board is to come forward on new content.
    virtual void restoreFromTray() = 0;
    // TopMost and ShowTask changed elsewhere (the options dialog).
    virtual void applyWindowOptions() = 0;
    // The board is hidden in the task tray.
    virtual bool isInTray() const = 0;
};

} // namespace tanzo
