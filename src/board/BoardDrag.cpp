#include "BoardDrag.h"

#include "BoardView.h"

namespace tanzo {

BoardDrag::BoardDrag(BoardView& board, QObject* parent) : QObject(parent), m_board(board) {}

void BoardDrag::start(Qt::MouseButton button, const QPoint& globalCursor) {
    if (button != Qt::LeftButton)
        return;
    // Without pointer tracking the last stored position may be old; the drag
    // starts from where the button went down (not where the pointer is by
    // the time the press is handled), so the board neither jumps nor lags.
    m_drag.press(globalCursor);
}

void BoardDrag::end(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        m_drag.release();
}

void BoardDrag::follow(const QPoint& globalCursor) {
    if (m_board.isInTray())
        return;
    const QPoint from = m_board.boardRect().topLeft();
    if (const std::optional<QPoint> to = m_drag.move(globalCursor, from)) {
        m_board.moveBoardTo(to->x(), to->y());
        emit dragged(to->x(), to->y());
    }
}

} // namespace tanzo
