#include "BoardPositionEntry.h"

#include "BoardPosition.h"
#include "NumericEntry.h"
#include "OptionsForm.h"
#include "board/BoardView.h"
#include "platform/Twips.h"
#include "platform/WindowSystem.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace tanzo::options {

BoardPositionEntry::BoardPositionEntry(const OptionsForm& form, BoardView& board, QObject* parent)
    : QObject(parent), m_horizontal(form.horizontal), m_vertical(form.vertical),
      m_positionCheck(form.positionCheck), m_board(board) {
    connect(m_positionCheck, &QCheckBox::toggled, this, &BoardPositionEntry::refreshEnabled);
    for (const Axis axis : {Axis::X, Axis::Y}) {
        const PositionAxisControls& c = controls(axis);
        for (int i = 0; i < 4; ++i)
            connect(c.edges[i], &QRadioButton::toggled, this, [this, axis, i](bool on) {
                if (on)
                    moveBoardToChosenEdge(axis, i);
            });
        connect(c.box, &QLineEdit::textChanged, this,
                [this, axis] { moveBoardToTypedPosition(axis); });
    }
}

const PositionAxisControls& BoardPositionEntry::controls(Axis axis) const {
    return axis == Axis::X ? m_horizontal : m_vertical;
}

void BoardPositionEntry::load() {
    m_positionCheck->setChecked(false);
    if (!m_board.isInTray()) {
        const QRect board = m_board.boardRect();
        m_horizontal.box->setText(QString::number(board.left()));
        m_horizontal.edges[PositionAxisControls::kTyped]->setChecked(true);
        m_vertical.box->setText(QString::number(board.top()));
        m_vertical.edges[PositionAxisControls::kTyped]->setChecked(true);
    } else {
        m_horizontal.box->clear();
        m_vertical.box->clear();
        m_horizontal.edges[PositionAxisControls::kTyped]->setChecked(true);
        m_vertical.edges[PositionAxisControls::kTyped]->setChecked(true);
    }
}

void BoardPositionEntry::refreshEnabled() {
    m_positionCheck->setEnabled(!m_board.isInTray());
    m_horizontal.frame->setEnabled(m_positionCheck->isChecked());
    m_vertical.frame->setEnabled(m_positionCheck->isChecked());
}

int BoardPositionEntry::screenExtent(Axis axis) const {
    const QRect area = Twips::availableAreaPixels();
    return axis == Axis::X ? area.width() : area.height();
}

int BoardPositionEntry::screenStart(Axis axis) const {
    const QRect area = Twips::availableAreaPixels();
    return axis == Axis::X ? area.left() : area.top();
}

int BoardPositionEntry::boardExtent(Axis axis) const {
    const QRect board = m_board.boardRect();
    return axis == Axis::X ? board.width() : board.height();
}

void BoardPositionEntry::moveBoardEdge(Axis axis, int edge) {
    const QRect board = m_board.boardRect();
    if (axis == Axis::X)
        m_board.moveBoardTo(edge, board.top());
    else
        m_board.moveBoardTo(board.left(), edge);
}

void BoardPositionEntry::moveBoardToChosenEdge(Axis axis, int option) {
    QLineEdit* box = controls(axis).box;
    if (option != PositionAxisControls::kTyped) {
        const int edge =
            edgeForPositionOption(option, screenExtent(axis), boardExtent(axis), screenStart(axis));
        moveBoardEdge(axis, edge);
        box->setEnabled(false);
        box->setText(QString::number(edge)); // a different text runs moveBoardToTypedPosition
        return;
    }
    if (!m_board.isInTray())
        if (const auto edge = parseInt16(box->text()))
            moveBoardEdge(axis, *edge);
    box->setEnabled(true);
}

void BoardPositionEntry::moveBoardToTypedPosition(Axis axis) {
    QLineEdit* box = controls(axis).box;
    const QString text = box->text();
    if (text.trimmed().isEmpty())
        return;
    const int start = screenStart(axis);
    const int maximum = positionMaximum(screenExtent(axis), boardExtent(axis), start);
    if (const auto corrected = correctPositionText(text, maximum, start)) {
        box->setText(*corrected); // comes back here with the settled text
        box->end(false);
        return;
    }
    if (const auto edge = parseInt16(text))
        moveBoardEdge(axis, *edge);
    emit edited();
}

void BoardPositionEntry::followDrag(int left, int top) {
    m_horizontal.edges[PositionAxisControls::kTyped]->setChecked(true);
    m_horizontal.box->setText(QString::number(left));
    m_vertical.edges[PositionAxisControls::kTyped]->setChecked(true);
    m_vertical.box->setText(QString::number(top));
}

void BoardPositionEntry::putBoardBack(QPoint stored) {
    if (m_board.isInTray())
        return;
    // Only the position was changed live; the size stays.
    const QRect board = m_board.boardRect();
    m_board.placeBoardAt(QRect(stored, board.size()), Focus::Take);
}

} // namespace tanzo::options
