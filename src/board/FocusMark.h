#pragma once

#include <QRect>
#include <QWidget>

namespace tanzo {

// Shows where the keyboard focus is on the board: a frame around the board
// when the board has it, around a title button when that has it. It lies
// in front of everything, takes no mouse input and is not shown to
// assistive technology (the focus itself is).
class FocusMark : public QWidget {
    Q_OBJECT
public:
    explicit FocusMark(QWidget& board);

    // The framed rectangle in board coordinates; empty when the focus is
    // not on the board.
    QRect markedRect() const { return m_marked; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow(QWidget* focused);

    QWidget& m_board;
    QRect m_marked;
};

} // namespace tanzo
