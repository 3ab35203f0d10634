// A forced fill of three rows at the default speed: how long it takes and
// how long the event loop waits at most while it runs.
#include "board/FillAnimation.h"
#include "board/MainWindow.h"
#include "core/AppContext.h"
#include "platform/Fonts.h"
#include "support/ManualClock.h"
#include "support/StoredEntries.h"

#include "BenchApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

tanzo::ScheduleEntry entry(const QDate& date, int hour, int minute) {
    tanzo::ScheduleEntry e;
    e.dateSerial = tanzo::daySerial(date);
    e.startTime = tanzo::timeFraction(hour, minute);
    e.status = 2;
    e.place = tanzo::fitPlace(QStringLiteral("会議室"));
    e.comment = QStringLiteral("定例の打合せ");
    return e;
}

void BM_ForcedFillInterval10(benchmark::State& bench) {
    QApplication& app = benchApplication();
    QTemporaryDir dir;
    const QDate today(2027, 3, 15);
    tanzo::test::ManualClock clock(QDateTime(today, QTime(9, 0)));
    tanzo::AppContext state(clock, dir.path() + QLatin1Char('/'));
    state.settings.update([&](tanzo::Settings& s) { s.interval = 10; });
    // Late start times make the flaps roll far.
    tanzo::test::storeEntries(state.schedule,
                              {entry(today, 23, 59), entry(today, 23, 59), entry(today, 23, 59)});
    tanzo::MainWindow board(state);
    board.show();

    double longestGapMs = 0;
    for (auto _ : bench) {
        QElapsedTimer gap;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longestGapMs = std::max(longestGapMs, gap.nsecsElapsed() / 1e6);
            gap.restart();
        });
        gap.start();
        probe.start();
        board.fillBoard(0, today, today, true, [&app] { app.exit(0); });
        // exit(), not quit(): quit() first asks the windows to close, and the
        // board turns a close into an exit request.
        app.exec();
        probe.stop();
    }
    bench.counters["longest_gap_ms"] = longestGapMs;
}

} // namespace

BENCHMARK(BM_ForcedFillInterval10)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
