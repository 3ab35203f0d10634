#include "BoardPaging.h"

#include "BoardContent.h"
#include "BoardView.h"

#include "platform/Clock.h"
#include "schedule/ScheduleStore.h"

#include <QPointer>
#include <QTimer>

namespace tanzo {
namespace {

// Moving commands draw a window around today, so every row animates.
constexpr int kPageWindowDays = 30;

} // namespace

BoardPaging::BoardPaging(const Clock& clock, const ScheduleStore& schedule, BoardView& board,
                         QObject* parent)
    : QObject(parent), m_clock(clock), m_schedule(schedule), m_board(board) {
    // The board is a view of the store: whatever changed the list, the rows
    // are redrawn once the handler that changed it has returned, so a
    // command or an editor's OK is answered before the animation starts.
    m_redrawTimer = new QTimer(this);
    m_redrawTimer->setSingleShot(true);
    m_redrawTimer->setInterval(0);
    connect(m_redrawTimer, &QTimer::timeout, this, &BoardPaging::redrawFromStart);
    connect(&m_schedule, &ScheduleStore::changed, this, [this](ScheduleStore::Change what) {
        if (what == ScheduleStore::Change::List && !m_board.closing())
            m_redrawTimer->start();
    });
}

PageView BoardPaging::view() const {
    return {m_schedule.view(), m_page, m_board.fillRunning()};
}

bool BoardPaging::run(ViewCommand command) {
    if (command == ViewCommand::Refresh) {
        startOver();
        return true;
    }
    const std::optional<int> target = pageTarget(command, view());
    if (!target)
        return false;
    const QDate today = m_clock.today();
    const int n = *target;
    // The page index changes only once the rows show it, so that handlers
    // running during the fill (the tool tip) still see the old page.
    QPointer<BoardPaging> alive(this);
    const QDate from = today.addDays(-kPageWindowDays);
    const QDate to = today.addDays(kPageWindowDays);
    m_board.fillBoard(n, from, to, false, [alive, n, from, to] {
        if (!alive)
            return;
        alive->m_page.firstRow = n;
        alive->m_page.from = from;
        alive->m_page.to = to;
    });
    return true;
}

void BoardPaging::redrawFromStart() {
    m_redrawTimer->stop();
    if (m_board.closing())
        return;
    startOver();
}

void BoardPaging::moveToNextEntry() {
    if (!m_board.closing() && !m_redrawTimer->isActive())
        showNextEntry(false);
}

void BoardPaging::followClock() {
    if (m_board.closing() || m_redrawTimer->isActive() || m_board.fillRunning())
        return;
    // The page holds indices of the merged list the rows show; searching the
    // user's own entries alone would take a subscribed appointment's index
    // for another and redraw (and raise) the board every minute.
    const QDateTime now = m_clock.now();
    const board::PageIndices found =
        board::locateNextEntry(m_schedule.view(), m_page.nextEntry, now.date(), now.time());
    if (found.nextEntryIndex != m_page.nextEntry)
        showNextEntry(false);
}

void BoardPaging::startOver() {
    m_page.nextEntry = 0;
    showNextEntry(true);
}

void BoardPaging::locateNextEntry() {
    const QDateTime now = m_clock.now();
    const board::PageIndices found =
        board::locateNextEntry(m_schedule.view(), m_page.nextEntry, now.date(), now.time());
    m_page.nextEntry = found.nextEntryIndex;
    m_page.firstRow = found.firstRowIndex;
}

void BoardPaging::showNextEntry(bool force) {
    locateNextEntry();
    const QDate today = m_clock.today();
    m_page.from = today;
    m_page.to = today;
    m_board.fillBoard(m_page.nextEntry, today, today, force, {});
}

} // namespace tanzo
