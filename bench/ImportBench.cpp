#include "calendar/IcsImport.h"

#include <QFile>

#include <benchmark/benchmark.h>

namespace {

using namespace tanzo;

const QDate kToday(2027, 3, 15);

// The hostile calendar of the tests: zones that change every second since
// 1601 and rules that recur every second. It must cost a fraction of a
// second, never the expansion bound's ten.
void hostileCalendar(benchmark::State& state) {
    QFile file(QStringLiteral(TANZO_SOURCE_DIR "/tests/calendar/data/hostile-zone.ics"));
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("no fixture");
        return;
    }
    const QByteArray bytes = file.readAll();
    for (auto _ : state)
        benchmark::DoNotOptimize(importIcs(bytes, kToday, {}));
}
BENCHMARK(hostileCalendar)->Unit(benchmark::kMillisecond);

// A calendar of `range` MB of past events with long descriptions, and a
// few in the seven days: the size a shared calendar of some years reaches.
void largeCalendar(benchmark::State& state) {
    QByteArray bytes = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
    const QByteArray description = "DESCRIPTION:" + QByteArray(300, 'x') + "\r\n";
    for (int i = 0; bytes.size() < state.range(0) * 1024 * 1024; ++i)
        bytes += QStringLiteral("BEGIN:VEVENT\r\nUID:%1@bench\r\nDTSTAMP:20270301T000000Z\r\n"
                                "DTSTART:2026%2T090000\r\nSUMMARY:過去\r\n")
                     .arg(i)
                     .arg(i % 2 ? QStringLiteral("0105") : QStringLiteral("0317"))
                     .toUtf8() +
                 description + "END:VEVENT\r\n";
    bytes += "END:VCALENDAR\r\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(importIcs(bytes, kToday, {}));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(largeCalendar)->Arg(20)->Unit(benchmark::kMillisecond);

} // namespace
