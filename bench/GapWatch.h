#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

// The longest time between the ticks of a fast timer in the program's
// thread while work runs: how long the clock would have waited.
struct GapWatch {
    static constexpr int kTickMs = 10;

    QTimer timer;
    QElapsedTimer since;
    qint64 longest = 0;

    GapWatch() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(kTickMs);
        QObject::connect(&timer, &QTimer::timeout,
                         [this] { longest = std::max(longest, since.restart()); });
    }
    void start() {
        longest = 0;
        since.start();
        timer.start();
    }
};
