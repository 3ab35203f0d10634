#pragma once

#include <QPoint>

#include <optional>

namespace tanzo {

// Dragging the board by its title: while the left button is held the board
// moves by as much as the cursor moved since the previous event. After the
// command menu has been open the cursor position is stale, so the first move
// only takes it and the board stays put.
class TitleDrag {
public:
    void press(const QPoint& cursor) {
        m_active = true;
        m_last = cursor;
    }
    void release() { m_active = false; }
    // The command menu opened: the next move resynchronises only.
    void disarm() { m_armed = false; }

    // Where the board's top-left goes for a cursor move, or nothing when it
    // stays.
    std::optional<QPoint> move(const QPoint& cursor, const QPoint& boardTopLeft) {
        std::optional<QPoint> target;
        if (m_active) {
            if (m_armed)
                target = boardTopLeft + (cursor - m_last);
            m_armed = true;
        }
        m_last = cursor;
        return target;
    }

    bool isActive() const { return m_active; }

private:
    bool m_active = false;
    bool m_armed = true;
    QPoint m_last;
};

} // namespace tanzo
