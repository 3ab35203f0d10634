#include "schedule/DataFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

namespace {

using namespace tanzo;

const QDate kToday(2027, 3, 15);

// A data file of `count` appointments in shuffled order, spread over a few
// weeks with quarter-hour start times, so that many share a date and time.
class LoadAndSort : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State& state) override {
        const int count = static_cast<int>(state.range(0));
        m_path = m_dir.filePath(QStringLiteral("TANZO.DAT"));
        std::mt19937 random(count);
        DayList list;
        list.reserve(count);
        for (int i = 0; i < count; ++i) {
            ScheduleEntry e;
            e.dateSerial = daySerial(kToday.addDays(static_cast<int>(random() % 40) - 6));
            e.startTime = timeFraction(8 + static_cast<int>(random() % 12),
                                       15 * static_cast<int>(random() % 4));
            e.status = static_cast<int16_t>(1 + random() % 3);
            e.place = fitPlace(QStringLiteral("会議室%1").arg(i % 10));
            e.comment = QStringLiteral("資料持参 item %1").arg(i);
            list.push_back(e);
        }
        std::shuffle(list.begin(), list.end(), random);
        QByteArray bytes;
        for (const auto& e : list)
            bytes += encodeEntryLine(e);
        QFile f(m_path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::abort();
    }

protected:
    QTemporaryDir m_dir;
    QString m_path;
};

BENCHMARK_DEFINE_F(LoadAndSort, Load)(benchmark::State& state) {
    DataFile file(m_path);
    for (auto _ : state) {
        DayList list;
        if (!file.load(list, kToday))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(list.data());
    }
}

BENCHMARK_REGISTER_F(LoadAndSort, Load)
    ->Name("LoadAndSort")
    ->Arg(300)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond);

} // namespace
