#pragma once

#include "board/TitleDrag.h"

#include <QObject>
#include <QPoint>

namespace tanzo {

class BoardView;

// Moving the board with the left button held on its title. A board hidden
// in the tray does not move.
class BoardDrag : public QObject {
    Q_OBJECT
public:
    explicit BoardDrag(BoardView& board, QObject* parent = nullptr);

    // The button went down on the title, the cursor at `globalCursor`.
    void start(Qt::MouseButton button, const QPoint& globalCursor);
    void end(Qt::MouseButton button);
    // The pointer moved over the board: the board follows while dragged.
    void follow(const QPoint& globalCursor);

public slots:
    // The command menu opened: the cursor position is stale until the next move.
    void disarm() { m_drag.disarm(); }

signals:
    // The board was dragged to this left/top (pixels).
    void dragged(int left, int top);

private:
    BoardView& m_board;
    TitleDrag m_drag;
};

} // namespace tanzo
