#include "FocusMark.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QRegion>

namespace tanzo {

FocusMark::FocusMark(QWidget& board) : QWidget(&board), m_board(board) {
    setObjectName(QStringLiteral("focusMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(board.rect());
    board.installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { follow(now); });
    raise();
}

bool FocusMark::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_board && event->type() == QEvent::Resize) {
        setGeometry(m_board.rect());
        follow(QApplication::focusWidget());
    }
    return QWidget::eventFilter(watched, event);
}

void FocusMark::follow(QWidget* focused) {
    QRect marked;
    if (focused == &m_board)
        marked = m_board.rect();
    else if (focused && focused->parentWidget() == &m_board)
        marked = focused->geometry().adjusted(-1, -1, 1, 1).intersected(m_board.rect());
    if (marked == m_marked)
        return;
    m_marked = marked;
    // Kept in front of labels raised since.
    raise();
    update();
}

void FocusMark::paintEvent(QPaintEvent*) {
    if (m_marked.isEmpty())
        return;
    QPainter painter(this);
    // Two colours, so the frame shows on any of the board's colours.
    painter.setPen(Qt::NoPen);
    const auto frame = [&painter](const QRect& outer, int width, const QColor& colour) {
        QRegion ring(outer);
        ring -= QRegion(outer.adjusted(width, width, -width, -width));
        painter.setClipRegion(ring);
        painter.fillRect(outer, colour);
    };
    frame(m_marked, 2, palette().color(QPalette::Highlight));
    frame(m_marked.adjusted(2, 2, -2, -2), 1, palette().color(QPalette::HighlightedText));
}

} // namespace tanzo
