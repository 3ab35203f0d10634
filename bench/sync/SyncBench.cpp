// Times the sync of one subscription against a running server and the
// longest gap it causes between ticks of a 10 ms timer in the same thread
// (the board's clock ticks once a second in that thread).
//
//   tanzo_sync_bench URL [USER PASSWORD]
//
// Prints one line per run: the first (everything fetched), a second with
// nothing changed, and a third forced to fetch everything again.
#include "platform/Clock.h"
#include "subscriptions/CalendarSubscriptions.h"
#include "subscriptions/NetworkSyncMachinery.h"
#include "support/MemoryPasswords.h"

#include "GapWatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace tanzo;

namespace {

void report(const char* what, qint64 ms, const GapWatch& gaps, int count, const QString& status) {
    std::printf("%-28s %6lld ms  longest gap between %d ms ticks %4lld ms  %d appointments %s\n",
                what, static_cast<long long>(ms), GapWatch::kTickMs,
                static_cast<long long>(gaps.longest), count, qPrintable(status));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && args.size() != 4) {
        std::fprintf(stderr, "usage: tanzo_sync_bench URL [USER PASSWORD]\n");
        return 2;
    }
    QTemporaryDir dir;
    const SystemClock clock;
    MemoryPasswords passwords;
    NetworkSyncMachinery subsNetwork(passwords);
    CalendarSubscriptions subs(dir.filePath(QStringLiteral("list.json")),
                               dir.filePath(QStringLiteral("cache")), clock);
    subs.setMachinery([&] { return &subsNetwork; });
    QString error;
    auto s = subscriptionFromAddress(args[1], &error);
    if (!s) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    s->name = QStringLiteral("bench");
    s->user = args.value(2);
    GapWatch gaps;
    QElapsedTimer took;

    QEventLoop loop;
    bool ok = false;
    gaps.start();
    took.start();
    subs.add(*s, args.value(3), [&](bool added, const QString& message) {
        ok = added;
        error = message;
        loop.quit();
    });
    loop.exec();
    report("first sync (all fetched)", took.elapsed(), gaps, subs.copyOf(s->name).entryCount(),
           ok ? QString() : error);

    QObject::connect(&subs, &CalendarSubscriptions::idle, &loop, &QEventLoop::quit);
    gaps.start();
    took.start();
    subs.sync(s->name);
    loop.exec();
    report("second sync (unchanged)", took.elapsed(), gaps, subs.copyOf(s->name).entryCount(),
           subs.copyOf(s->name).status);

    // A copy of another day: every event is fetched and converted again.
    subs.remove(s->name);
    gaps.start();
    took.start();
    subs.add(*s, args.value(3), [&](bool, const QString&) { loop.quit(); });
    loop.exec();
    report("third sync (all fetched)", took.elapsed(), gaps, subs.copyOf(s->name).entryCount(),
           subs.copyOf(s->name).status);
    return ok ? 0 : 1;
}
