#pragma once

#include "board/TitleDrag.h"

#include <QObject>
#include <QPoint>

namespace tanzo {

class BoardHost;
class TrayPresence;

// Moving the board with the left button held on its title. A board hidden
// in the tray does not move.
class BoardDrag : public QObject {
    Q_OBJECT
public:
    BoardDrag(BoardHost& board, const TrayPresence& presence, QObject* parent = nullptr);

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
    BoardHost& m_board;
    const TrayPresence& m_presence;
    TitleDrag m_drag;
};

} // namespace tanzo
