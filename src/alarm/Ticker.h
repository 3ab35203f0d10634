#pragma once

#include "AlarmEvaluator.h"

#include <QDate>
#include <QObject>

class QTimer;

namespace tanzo {

class Clock;
class ScheduleStore;
class SoundPlayer;
struct Settings;

// The program's one-second clock: the first load and the new day's reload
// of the appointments, the notices as they come due, and the sound made
// ready before them. It belongs to no window, and nothing on its path
// waits: whatever window is open or busy, the notices keep coming.
class Ticker : public QObject {
    Q_OBJECT
public:
    Ticker(const Clock& clock, ScheduleStore& schedule, const Settings& settings,
           SoundPlayer& sound, NoticeSink notices, QObject* parent = nullptr);

    void start();
    void stop();
    bool isActive() const;
    QTimer* timer() const { return m_timer; }

    // One second's work; the timer calls it, tests may too.
    void tick();

signals:
    // A start notice was given: the board moves on to the next appointment.
    void startNoticeGiven();
    // The clock's minute changed: views of the time catch up.
    void minuteTurned();
    // The notice flags could not be written to the data file.
    void writeFailed();

private:
    const Clock& m_clock;
    ScheduleStore& m_schedule;
    const Settings& m_settings;
    SoundPlayer& m_sound;
    NoticeSink m_notices;
    QTimer* m_timer = nullptr;
    QDate m_lastDate;
    int m_lastMinute = -1;
};

} // namespace tanzo
