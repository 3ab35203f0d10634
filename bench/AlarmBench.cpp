#include "alarm/AlarmEvaluator.h"

#include <QDateTime>

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

// The events' own reminders are looked at every second too: as many as the
// subscriptions keep, none due, so every one is compared.
void EvaluateReminders(benchmark::State& state) {
    const QDateTime now(QDate(2027, 3, 15), QTime(9, 0, 30));
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<tanzo::ReadOnlyEntry> entries(count / 2);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].entry.dateSerial = tanzo::daySerial(now.date());
        entries[i].entry.startTime = tanzo::timeFraction(20, 0);
        const qint64 at = now.addSecs(3600 + 60 * qint64(i)).toSecsSinceEpoch();
        entries[i].reminders = {{at - at % 60, false}, {at - at % 60 + 60, false}};
    }
    const tanzo::Settings settings;
    std::size_t due = 0;
    for (auto _ : state) {
        const std::vector<tanzo::DueReminder> reminders =
            tanzo::dueReminders(entries, settings, now);
        due += reminders.size();
        benchmark::DoNotOptimize(reminders.data());
    }
    if (due != 0)
        state.SkipWithError("a reminder was given");
}
BENCHMARK(EvaluateReminders)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace
