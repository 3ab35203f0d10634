#include "alarm/AlarmEvaluator.h"

#include <benchmark/benchmark.h>

namespace {

// The evaluation runs every second over the whole list: all entries today,
// all still ahead and none in the advance minute, so every entry is looked
// at and nothing is due.
void EvaluateAlarms(benchmark::State& state) {
    const QDate today(2027, 3, 15);
    const auto count = static_cast<int>(state.range(0));
    tanzo::DayList list(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        tanzo::ScheduleEntry& e = list[static_cast<std::size_t>(i)];
        e.dateSerial = tanzo::daySerial(today);
        e.startTime = tanzo::timeFraction(20 + (i % 4), i % 60);
        e.place = tanzo::fitPlace(QStringLiteral("会議室"));
    }
    const tanzo::Settings settings;
    const QTime now(9, 0, 30);
    std::size_t due = 0;
    for (auto _ : state) {
        const std::vector<tanzo::DueNotice> notices = tanzo::dueNotices(list, settings, today, now);
        due += notices.size();
        benchmark::DoNotOptimize(notices.data());
    }
    if (due != 0)
        state.SkipWithError("a notice was given");
}
BENCHMARK(EvaluateAlarms)->Arg(32767)->Unit(benchmark::kMicrosecond);

} // namespace
