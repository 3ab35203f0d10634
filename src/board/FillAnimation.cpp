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

detail::FillTask FillAnimation::run(FillRequest request) {
    // Date and minute stay fixed for the whole fill.
    const QDateTime now = m_state.clock.now();
    const QDate today = now.date();
    const QTime minute = board::cutToMinute(now.time());
    const Settings& settings = m_state.settings.values();
    const int frames = board::pace::placeholderFrames(settings.interval);
    const int framePause = board::pace::placeholderFrameUs(settings.interval);
    const int flapPause = board::pace::flapStepUs(settings.interval);

    int firstIndex = request.firstIndex;
    if (firstIndex == -1)
        firstIndex = m_state.schedule.viewLastIndex() + 1;

    for (int r = 0; r < 3; ++r) {
        const bool wasShowing = !m_surface.caption(layout::Place, r).isEmpty() ||
                                !m_surface.caption(layout::Comment, r).isEmpty() || request.force;
        const ReadOnlyEntry* readOnly = m_state.schedule.readOnlyAt(firstIndex + r);
        const board::RowFacts row =
            board::rowFacts(m_state.schedule.view(), firstIndex + r, request.from, request.to,
                            today, minute, readOnly && readOnly->allDay);
        if (!(request.from < today) && !wasShowing)
            continue;
        const bool drawPlaceholder = row.hasEntry() || wasShowing;

        for (const Column column :
             {layout::Status, layout::Place, layout::Hour, layout::Min, layout::Comment}) {
            if (column == layout::Hour || column == layout::Min) {
                const bool hour = column == layout::Hour;
                const int target = board::flapTarget(row, hour);
                const int last = hour ? 24 : 59;
                for (int v = 0; v <= last; ++v) {
                    co_yield flapPause;
                    m_surface.setVisible(column, r, false);
                    co_yield 0;
                    m_surface.setColor(column, r, settings.foreColor1);
                    if (drawPlaceholder)
                        m_surface.setCaption(column, r, board::flapCaption(v));
                    m_surface.align(column, r);
                    m_surface.setVisible(column, r, true);
                    co_yield 0;
                    if (target >= 0 && v == target) {
                        m_surface.setColor(
                            column, r, row.upcoming ? settings.foreColor1 : settings.foreColor2);
                        break;
                    }
                    if (m_surface.caption(column, r).isEmpty())
                        break;
                }
                if (target < 0) {
                    m_surface.setCaption(column, r, QString());
                    co_yield 0;
                }
                continue;
            }

            for (int s = 0; s <= frames; ++s) {
                m_surface.setVisible(column, r, false);
                co_yield 0;
                const board::Caption current{m_surface.caption(column, r),
                                             m_surface.color(column, r)};
                if (s < frames) {
                    if (column == layout::Status) {
                        if (drawPlaceholder)
                            m_surface.setCaption(column, r, board::StatusPlaceholder);
                        m_surface.setColor(column, r, board::nextPlaceholderColor(current.color));
                    } else {
                        if (drawPlaceholder)
                            m_surface.setCaption(column, r,
                                                 column == layout::Place
                                                     ? board::PlacePlaceholder
                                                     : board::CommentPlaceholder);
                        m_surface.setColor(column, r, settings.foreColor1);
                    }
                } else {
                    board::Caption finalCaption;
                    if (column == layout::Status)
                        finalCaption = board::finalStatus(row, current, settings);
                    else if (column == layout::Place)
                        finalCaption = board::finalPlace(row, current, settings, today, minute);
                    else
                        finalCaption = board::finalComment(row, r, current, settings);
                    m_surface.setCaption(column, r, finalCaption.text);
                    m_surface.setColor(column, r, finalCaption.color);
                }
                m_surface.align(column, r);
                m_surface.setVisible(column, r, true);
                // A placeholder stays up long enough to be seen; the final
                // caption gives way to the next column at once.
                co_yield s < frames ? framePause : 0;
                if (m_surface.caption(column, r).isEmpty())
                    break;
            }
        }
    }
}

} // namespace tanzo
