#pragma once

#include <QObject>
#include <QPoint>

class QCheckBox;

namespace tanzo {

class BoardView;

namespace options {

struct OptionsForm;
struct PositionAxisControls;

// The board's position as the options dialog sets it: the edge options move
// the board at once, a typed edge is held to the screen's free area as it is
// typed and moves the board too, and a drag of the board while the dialog is
// open shows up in the boxes. The board stays where it was moved until the
// dialog puts it back or the options are stored.
class BoardPositionEntry : public QObject {
    Q_OBJECT
public:
    BoardPositionEntry(const OptionsForm& form, BoardView& board, QObject* parent);

    // Shows where the board stands (nothing while it is in the tray) as
    // typed positions, correcting a board that stands partly off the screen.
    void load();
    // The boxes are open to the user only with 位置を設定 checked, and that
    // only while the board is on the desktop.
    void refreshEnabled();
    // The board has been dragged to (left, top).
    void followDrag(int left, int top);
    // Undoes the live moves: the board goes back to `stored`, keeping its size.
    void putBoardBack(QPoint stored);

signals:
    // A position box took a new value.
    void edited();

private:
    enum class Axis { X, Y };

    const PositionAxisControls& controls(Axis axis) const;
    void moveBoardToChosenEdge(Axis axis, int option);
    void moveBoardToTypedPosition(Axis axis);
    int screenExtent(Axis axis) const;
    int screenStart(Axis axis) const;
    int boardExtent(Axis axis) const;
    void moveBoardEdge(Axis axis, int edge);

    const PositionAxisControls& m_horizontal;
    const PositionAxisControls& m_vertical;
    QCheckBox* const m_positionCheck;
    BoardView& m_board;
};

} // namespace options
} // namespace tanzo
