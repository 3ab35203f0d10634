// Times the own calendar's first sync against a running server, and the
// longest gap it causes between ticks of a 10 ms timer in the same thread
// (the board's clock ticks once a second in that thread).
//
//   tanzo_own_calendar_bench URL USER PASSWORD [COUNT]
//
// URL is an empty calendar collection. Prints one line per run: COUNT
// appointments of TANZO.DAT sent to it (the first sync of a board that has
// them), the same pulled into an empty TANZO.DAT (a second device's first
// sync), and a sync with nothing changed.
#include "owncalendar/OwnCalendar.h"
#include "platform/Clock.h"
#include "schedule/ScheduleStore.h"
#include "support/MemoryPasswords.h"

#include "GapWatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace tanzo;

namespace {

DayList appointments(int count, const QDate& from) {
    DayList list;
    for (int i = 0; i < count; ++i) {
        ScheduleEntry e;
        e.dateSerial = daySerial(from.addDays(i % 60));
        e.startTime = timeFraction(8 + i % 12, i % 60);
        e.status = static_cast<int16_t>(1 + i % 3);
        e.place = fitPlace(QStringLiteral("会議室%1").arg(i % 10));
        e.comment = QStringLiteral("予定%1").arg(i);
        list.push_back(e);
    }
    return list;
}

// One device: its own data folder, store and own calendar.
struct Device {
    QTemporaryDir dir;
    SystemClock clock;
    ScheduleStore store{QDir(dir.path()).filePath(QStringLiteral("TANZO.DAT")), clock};
    MemoryPasswords passwords;
    OwnCalendar own{store, clock, passwords, [] { return 5; }};

    Device() { store.load(clock.today()); }
};

void timed(const char* what, const std::function<void(OwnCalendar::Done)>& run, Device& device) {
    GapWatch gaps;
    QElapsedTimer took;
    QEventLoop loop;
    bool ok = false;
    QString message;
    gaps.start();
    took.start();
    run([&](bool done, const QString& m) {
        ok = done;
        message = m;
        loop.quit();
    });
    loop.exec();
    const int held = holdsNoAppointment(device.store.entries())
                         ? 0
                         : static_cast<int>(device.store.entries().size());
    std::printf("%-34s %6lld ms  longest gap between %d ms ticks %4lld ms  %d appointments %s %s\n",
                what, static_cast<long long>(took.elapsed()), GapWatch::kTickMs,
                static_cast<long long>(gaps.longest), held, ok ? "ok" : "FAILED",
                qPrintable(message.left(200)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: tanzo_own_calendar_bench URL USER PASSWORD [COUNT]\n");
        return 2;
    }
    const OwnCalendarConfig config{QUrl(args[1]), args[2], QString()};
    const int count = args.size() > 4 ? args[4].toInt() : 1000;

    Device first;
    first.store.add(appointments(count, first.clock.today()));
    timed(
        "first sync, sent", [&](OwnCalendar::Done done) { first.own.set(config, args[3], done); },
        first);

    Device second;
    timed(
        "first sync, received",
        [&](OwnCalendar::Done done) { second.own.set(config, args[3], done); }, second);
    timed(
        "nothing changed", [&](OwnCalendar::Done done) { second.own.sync(done); }, second);
    return 0;
}
