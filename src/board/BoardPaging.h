#pragma once

#include "board/BoardPage.h"
#include "board/Paging.h"

#include <QObject>

class QTimer;

namespace tanzo {

class BoardView;
class Clock;
class ScheduleStore;

// Which appointments the board's rows show, and every move of that page:
// the view commands, a changed list, a start notice and the turning minute.
// The window only draws what it is asked to; the page it shows lives here,
// so that a move is decided in one place.
class BoardPaging : public QObject {
    Q_OBJECT
public:
    BoardPaging(const Clock& clock, const ScheduleStore& schedule, BoardView& board,
                QObject* parent = nullptr);

    const BoardPage& page() const { return m_page; }
    // Takes `page` as the page shown, without redrawing: for rows that
    // already show it.
    void setPage(const BoardPage& page) { m_page = page; }
    // What the view commands and the board menu decide on.
    PageView view() const;

    // One of the five view commands; false when the move is impossible
    // (the caller beeps).
    bool run(ViewCommand command);

public slots:
    // The list changed: the page starts over and every row is redrawn.
    // Runs on its own after the store announces a change.
    void redrawFromStart();
    // A start notice was given: the page moves on to the next appointment.
    void moveToNextEntry();
    // The minute turned: the page moves on if an appointment has started
    // since (one settled without a notice, say).
    void followClock();

private:
    void startOver();
    void locateNextEntry();
    // The next upcoming appointment heads the board again: the page moves
    // there and the rows are redrawn with today's appointments.
    void showNextEntry(bool force);

    const Clock& m_clock;
    const ScheduleStore& m_schedule;
    BoardView& m_board;
    QTimer* m_redrawTimer = nullptr;
    BoardPage m_page;
};

} // namespace tanzo
