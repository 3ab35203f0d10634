#pragma once

#include "board/BoardContent.h"
#include "board/BoardSurface.h"

#include <QDate>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <coroutine>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

namespace tanzo {

struct AppContext;

namespace detail {

// The fill as a resumable sequence: each co_yield is a point where the
// board lets pending events run, with the pause (microseconds) that should
// pass before it goes on.
class FillTask {
public:
    struct promise_type {
        int pauseUs = 0;
        FillTask get_return_object() {
            return FillTask(std::coroutine_handle<promise_type>::from_promise(*this));
        }
        std::suspend_always initial_suspend() noexcept { return {}; }
        std::suspend_always final_suspend() noexcept { return {}; }
        std::suspend_always yield_value(int pauseUs) noexcept {
            this->pauseUs = pauseUs;
            return {};
        }
        void return_void() noexcept {}
        void unhandled_exception() noexcept { std::terminate(); }
    };

    FillTask(FillTask&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    FillTask& operator=(FillTask&& other) noexcept {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    FillTask(const FillTask&) = delete;
    FillTask& operator=(const FillTask&) = delete;
    ~FillTask() { reset(); }

    // Runs up to the next pause and returns its length, or -1 at the end.
    int resume() {
        m_handle.resume();
        return m_handle.done() ? -1 : m_handle.promise().pauseUs;
    }

private:
    explicit FillTask(std::coroutine_handle<promise_type> handle) : m_handle(handle) {}
    void reset() {
        if (m_handle)
            m_handle.destroy();
        m_handle = {};
    }
    std::coroutine_handle<promise_type> m_handle;
};

} // namespace detail

struct FillRequest {
    int firstIndex = 0;
    QDate from;
    QDate to;
    bool force = false;
};

// Redrawing the rows as a timer-driven state machine: a few placeholder frames per
// word column and one flap step per value, paced in time (FlapPace.h)
// instead of by busy counting, so no event waits more than a few
// milliseconds.
class FillAnimation : public QObject {
    Q_OBJECT
public:
    // Longest run of logical frames in one timer event.
    static constexpr int SliceBudgetUs = 3000;

    FillAnimation(AppContext& state, BoardSurface& surface, QObject* parent = nullptr);
    ~FillAnimation() override;

    // Starts a fill. A fill still running is first brought to its end (its
    // `done` runs), so two never overlap.
    void start(const FillRequest& request, std::function<void()> done = {});
    bool running() const { return m_task.has_value(); }

    // Advances to the next point where pending events are let through;
    // returns true while the fill still runs.
    bool stepFrame();
    // Microseconds into the running fill at which the current frame is
    // drawn, by the planned pace (tests step the fill by hand and read it).
    int64_t plannedUs() const { return m_dueUs; }
    // Draws the rest of the running fill at once.
    void finishNow();

    // With auto-run off only stepFrame() and finishNow() advance a fill.
    void setAutoRun(bool on);

signals:
    // Once running() is true.
    void started();
    // Once running() is false, before the fill's `done` runs.
    void finished();

private:
    struct Frame;
    detail::FillTask run(FillRequest request);
    detail::FillTask flapCell(const Frame& frame, layout::Column column, int r,
                              const board::RowFacts& row, bool drawPlaceholder);
    detail::FillTask wordCell(const Frame& frame, layout::Column column, int r,
                              const board::RowFacts& row, bool drawPlaceholder);
    void drawPlaceholderFrame(layout::Column column, int r, const board::Caption& current,
                              bool withCaption, const Settings& settings);
    void catchUpWithPace();
    void complete();

    AppContext& m_state;
    BoardSurface& m_surface;
    std::optional<detail::FillTask> m_task;
    std::function<void()> m_done;
    QTimer m_driver;
    QElapsedTimer m_clock;
    int64_t m_dueUs = 0;
    bool m_autoRun = true;
};

} // namespace tanzo
