// Opening the schedule editor on a full day list, and saving it.
#include "core/AppContext.h"
#include "editor/ScheduleEditor.h"
#include "support/ManualClock.h"
#include "support/StoredEntries.h"

#include "BenchApp.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace tanzo;

DayList fullDayList(const QDate& today) {
    DayList list;
    list.reserve(MaxDayListEntries);
    for (int i = 0; i < MaxDayListEntries; ++i) {
        ScheduleEntry e;
        e.dateSerial = daySerial(today.addDays(i / 1440 - 3));
        e.startTime = timeFraction((i % 1440) / 60, i % 60);
        e.status = static_cast<int16_t>(1 + i % 3);
        e.place = fitPlace(QStringLiteral("会議室%1").arg(i % 100));
        e.comment = QStringLiteral("打合せ %1").arg(i);
        list.push_back(e);
    }
    return list;
}

struct Fixture {
    Fixture() : state(clock, dir.path() + QLatin1Char('/')) {
        benchApplication();
        test::storeEntries(state.schedule, fullDayList(clock.today()));
    }
    test::ManualClock clock{QDateTime(QDate(2027, 3, 15), QTime(9, 0))};
    QTemporaryDir dir;
    AppContext state;
};

void BM_EditorOpenFullList(benchmark::State& st) {
    Fixture f;
    for (auto _ : st) {
        auto* editor = new ScheduleEditor(f.state);
        benchmark::DoNotOptimize(editor);
        st.PauseTiming();
        delete editor;
        st.ResumeTiming();
    }
}
BENCHMARK(BM_EditorOpenFullList)->Unit(benchmark::kMillisecond);

void BM_EditorSaveFullList(benchmark::State& st) {
    Fixture f;
    auto* editor = new ScheduleEditor(f.state);
    auto* apply = editor->findChild<QPushButton*>(QStringLiteral("cmdApply"));
    for (auto _ : st) {
        // Apply is only offered with unwritten changes; the click handler
        // itself does the whole save.
        apply->setEnabled(true);
        apply->click();
    }
    st.counters["ok"] = QFile::exists(f.state.schedule.path()) ? 1 : 0;
    delete editor;
}
BENCHMARK(BM_EditorSaveFullList)->Unit(benchmark::kMillisecond);

} // namespace
