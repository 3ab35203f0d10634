#pragma once

#include "AlarmEvaluator.h"
#include "NoticeLedger.h"

#include <QDate>
#include <QObject>
#include <QSet>

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
    // Writes the flags of the notices whose windows have come on the screen
    // (the exit, before the last write; otherwise right after they came).
    void settleShownNotices();

signals:
    // A start notice was given (its window is on the screen and its flags
    // set): the board moves on to the next appointment.
    void startNoticeGiven();
    // The clock's minute changed: views of the time catch up.
    void minuteTurned();
    // The notice flags could not be written to the data file.
    void writeFailed();

private:
    void giveDueNotices(const QDate& today, const QTime& now);
    void giveDueReminders(const QDateTime& now);
    void writeMarks(const std::vector<NoticeMark>& marks, bool started);

    const Clock& m_clock;
    ScheduleStore& m_schedule;
    const Settings& m_settings;
    SoundPlayer& m_sound;
    NoticeSink m_notices;
    QTimer* m_timer = nullptr;
    // Writes the flags of notices that came on the screen, once the window
    // that painted has returned to the event loop.
    QTimer* m_settleTimer = nullptr;
    NoticeLedger m_ledger;
    // Reminders handed to their windows and not yet on the screen, by
    // their flag's key.
    QSet<QString> m_pendingReminders;
    QDate m_lastDate;
    int m_lastMinute = -1;
};

} // namespace tanzo
