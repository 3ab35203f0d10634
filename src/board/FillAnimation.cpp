#include "FillAnimation.h"

#include "board/BoardContent.h"
#include "core/AppContext.h"
#include "core/FlapPace.h"
#include "platform/Clock.h"

#include <algorithm>

namespace tanzo {

using layout::Column;

FillAnimation::FillAnimation(AppContext& state, BoardSurface& surface, QObject* parent)
    : QObject(parent), m_state(state), m_surface(surface) {
    m_driver.setTimerType(Qt::PreciseTimer);
    m_driver.setSingleShot(true);
    connect(&m_driver, &QTimer::timeout, this, &FillAnimation::catchUpWithPace);
}

FillAnimation::~FillAnimation() {}

void FillAnimation::start(const FillRequest& request, std::function<void()> done) {
    // A `done` of the fill being finished may itself start one; finish
    // those too, so that this request is drawn last and alone.
    while (m_task)
        finishNow();
    m_task.emplace(run(request));
    m_done = std::move(done);
    m_dueUs = 0;
    m_clock.start();
    emit started();
    if (m_autoRun && m_task)
        m_driver.start(0);
}

bool FillAnimation::stepFrame() {
    if (!m_task)
        return false;
    const int pause = m_task->resume();
    if (pause < 0) {
        complete();
        return false;
    }
    m_dueUs += pause;
    return true;
}

void FillAnimation::finishNow() {
    while (stepFrame()) {
    }
}

void FillAnimation::setAutoRun(bool on) {
    m_autoRun = on;
    if (!on)
        m_driver.stop();
    else if (m_task)
        m_driver.start(0);
}

void FillAnimation::catchUpWithPace() {
    // Catch up with the planned pace, but hand control back to the event
    // loop within a few milliseconds whatever happens.
    QElapsedTimer slice;
    slice.start();
    while (m_task && m_dueUs <= m_clock.nsecsElapsed() / 1000 &&
           slice.nsecsElapsed() < SliceBudgetUs * 1000LL) {
        stepFrame();
    }
    // Sleep until the next frame is due rather than polling for it.
    if (m_task && m_autoRun) {
        const int64_t waitUs = m_dueUs - m_clock.nsecsElapsed() / 1000;
        m_driver.start(static_cast<int>(std::max<int64_t>(0, (waitUs + 999) / 1000)));
    }
}

void FillAnimation::complete() {
    m_driver.stop();
    m_task.reset();
    emit finished();
    // The callback may start the next fill.
    if (auto done = std::exchange(m_done, {}))
        done();
}

// What stays fixed for the whole fill: the date and minute the rows are
// judged by, the settings and the pace.
struct FillAnimation::Frame {
    QDate today;
    QTime minute;
    const Settings& settings;
    int placeholderFrames;
    int placeholderPauseUs;
    int flapPauseUs;
};

namespace {

// The caption a word column ends on.
board::Caption finalCaptionOf(Column column, const board::RowFacts& row, int r,
                              const board::Caption& current, const Settings& settings,
                              const QDate& today, const QTime& minute) {
    if (column == layout::Status)
        return board::finalStatus(row, current, settings);
    if (column == layout::Place)
        return board::finalPlace(row, current, settings, today, minute);
    return board::finalComment(row, r, current, settings);
}

} // namespace

detail::FillTask FillAnimation::run(FillRequest request) {
    const QDateTime now = m_state.clock.now();
    const Settings& settings = m_state.settings.values();
    const Frame frame{now.date(),
                      board::cutToMinute(now.time()),
                      settings,
                      board::pace::placeholderFrames(settings.interval),
                      board::pace::placeholderFrameUs(settings.interval),
                      board::pace::flapStepUs(settings.interval)};

    int firstIndex = request.firstIndex;
    if (firstIndex == -1)
        firstIndex = m_state.schedule.viewLastIndex() + 1;

    for (int r = 0; r < 3; ++r) {
        const bool wasShowing = !m_surface.caption(layout::Place, r).isEmpty() ||
                                !m_surface.caption(layout::Comment, r).isEmpty() || request.force;
        const ReadOnlyEntry* readOnly = m_state.schedule.readOnlyAt(firstIndex + r);
        const board::RowFacts row =
            board::rowFacts(m_state.schedule.view(), firstIndex + r, request.from, request.to,
                            frame.today, frame.minute, readOnly && readOnly->allDay);
        if (!(request.from < frame.today) && !wasShowing)
            continue;
        const bool drawPlaceholder = row.hasEntry() || wasShowing;

        for (const Column column :
             {layout::Status, layout::Place, layout::Hour, layout::Min, layout::Comment}) {
            const bool flap = column == layout::Hour || column == layout::Min;
            detail::FillTask cell = flap ? flapCell(frame, column, r, row, drawPlaceholder)
                                         : wordCell(frame, column, r, row, drawPlaceholder);
            for (int pause = cell.resume(); pause >= 0; pause = cell.resume())
                co_yield pause;
        }
    }
}

// The hour or minute flaps through its values up to the row's.
detail::FillTask FillAnimation::flapCell(const Frame& frame, Column column, int r,
                                         const board::RowFacts& row, bool drawPlaceholder) {
    const bool hour = column == layout::Hour;
    const int target = board::flapTarget(row, hour);
    const int last = hour ? 24 : 59;
    for (int v = 0; v <= last; ++v) {
        co_yield frame.flapPauseUs;
        m_surface.setVisible(column, r, false);
        co_yield 0;
        m_surface.setColor(column, r, frame.settings.foreColor1);
        if (drawPlaceholder)
            m_surface.setCaption(column, r, board::flapCaption(v));
        m_surface.align(column, r);
        m_surface.setVisible(column, r, true);
        co_yield 0;
        if (target >= 0 && v == target) {
            m_surface.setColor(
                column, r, row.upcoming ? frame.settings.foreColor1 : frame.settings.foreColor2);
            break;
        }
        if (m_surface.caption(column, r).isEmpty())
            break;
    }
    if (target < 0) {
        m_surface.setCaption(column, r, QString());
        co_yield 0;
    }
}

// The status, place or comment shows its placeholder for a few frames, then
// its final caption.
detail::FillTask FillAnimation::wordCell(const Frame& frame, Column column, int r,
                                         const board::RowFacts& row, bool drawPlaceholder) {
    const int frames = frame.placeholderFrames;
    for (int s = 0; s <= frames; ++s) {
        m_surface.setVisible(column, r, false);
        co_yield 0;
        const board::Caption current{m_surface.caption(column, r), m_surface.color(column, r)};
        if (s < frames) {
            drawPlaceholderFrame(column, r, current, drawPlaceholder, frame.settings);
        } else {
            const board::Caption ending =
                finalCaptionOf(column, row, r, current, frame.settings, frame.today, frame.minute);
            m_surface.setCaption(column, r, ending.text);
            m_surface.setColor(column, r, ending.color);
        }
        m_surface.align(column, r);
        m_surface.setVisible(column, r, true);
        // A placeholder stays up long enough to be seen; the final caption
        // gives way to the next column at once.
        co_yield s < frames ? frame.placeholderPauseUs : 0;
        if (m_surface.caption(column, r).isEmpty())
            break;
    }
}

void FillAnimation::drawPlaceholderFrame(Column column, int r, const board::Caption& current,
                                         bool withCaption, const Settings& settings) {
    if (column == layout::Status) {
        if (withCaption)
            m_surface.setCaption(column, r, board::StatusPlaceholder);
        m_surface.setColor(column, r, board::nextPlaceholderColor(current.color));
        return;
    }
    if (withCaption)
        m_surface.setCaption(column, r,
                             column == layout::Place ? board::PlacePlaceholder
                                                     : board::CommentPlaceholder);
    m_surface.setColor(column, r, settings.foreColor1);
}

} // namespace tanzo
