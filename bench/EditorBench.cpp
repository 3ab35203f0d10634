// Opening the schedule editor on a full day list, and saving it.
#include "core/AppContext.h"
#include "core/BoardHost.h"
#include "editor/ScheduleEditor.h"
#include "platform/Clock.h"

#include "BenchApp.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace tanzo;

class IdleBoard : public BoardHost {
public:
    void applyBoardLayout(int) override {}
    QRect boardRect() const override { return {}; }
    void moveBoardTo(int, int) override {}
    void placeBoardAt(const QRect&, Focus) override {}
    void raiseBoardOnce(Focus) override {}
    void setBoardStaysOnTop(bool) override {}
    void applyWindowOptions() override {}
    bool isInTray() const override { return false; }
    QFont boardFont() const override { return {}; }
    QIcon boardIcon() const override { return {}; }
    QWidget* boardWidget() override { return nullptr; }
};

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
        state.schedule.setEntries(fullDayList(clock.today()));
    }
    ManualClock clock{QDateTime(QDate(2027, 3, 15), QTime(9, 0))};
    QTemporaryDir dir;
    AppContext state;
    IdleBoard board;
};

void BM_EditorOpenFullList(benchmark::State& st) {
    Fixture f;
    for (auto _ : st) {
        auto* editor = new ScheduleEditor(f.state, f.board);
        benchmark::DoNotOptimize(editor);
        st.PauseTiming();
        delete editor;
        st.ResumeTiming();
    }
}
BENCHMARK(BM_EditorOpenFullList)->Unit(benchmark::kMillisecond);

void BM_EditorSaveFullList(benchmark::State& st) {
    Fixture f;
    auto* editor = new ScheduleEditor(f.state, f.board);
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
