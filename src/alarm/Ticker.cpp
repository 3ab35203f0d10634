#include "Ticker.h"

#include "core/Settings.h"
#include "platform/Clock.h"
#include "platform/SoundPlayer.h"
#include "schedule/ScheduleStore.h"

#include <QPointer>
#include <QTimer>

namespace tanzo {
namespace {
// How long before a notice its sound is made ready: loading the audio
// machinery cold takes longer than a notice may wait for its sound.
constexpr int kSoundLeadSeconds = 60;

QString pendingKey(const QString& noticeKey, qint64 at) {
    return noticeKey + QLatin1Char('|') + QString::number(at);
}
} // namespace

Ticker::Ticker(const Clock& clock, ScheduleStore& schedule, const Settings& settings,
               SoundPlayer& sound, NoticeSink notices, QObject* parent)
    : QObject(parent), m_clock(clock), m_schedule(schedule), m_settings(settings), m_sound(sound),
      m_notices(std::move(notices)), m_timer(new QTimer(this)), m_settleTimer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &Ticker::tick);
    m_settleTimer->setSingleShot(true);
    m_settleTimer->setInterval(0);
    connect(m_settleTimer, &QTimer::timeout, this, &Ticker::settleShownNotices);
}

void Ticker::start() {
    m_timer->start();
}

void Ticker::stop() {
    m_timer->stop();
}

bool Ticker::isActive() const {
    return m_timer->isActive();
}

void Ticker::tick() {
    const QDateTime now = m_clock.now();
    const QDate today = now.date();
    // After midnight (or a sleep across it) the list still holds yesterday's
    // view, with no upcoming entry to evaluate: read the file afresh.
    const bool newDay = m_lastDate.isValid() && today != m_lastDate;
    m_lastDate = today;
    if (!m_schedule.isLoaded() || newDay)
        m_schedule.refresh(today);

    giveDueNotices(today, now.time());
    giveDueReminders(now);

    const int minute = now.time().hour() * 60 + now.time().minute();
    if (m_lastMinute >= 0 && minute != m_lastMinute)
        emit minuteTurned();
    m_lastMinute = minute;

    if (m_settings.alarmSound &&
        (noticeDueWithin(m_schedule.view(), m_settings, today, now.time(), kSoundLeadSeconds) ||
         reminderDueWithin(m_schedule.readOnlyEntries(), now, kSoundLeadSeconds)))
        m_sound.prepare(m_settings.soundPath());
}

// A notice is given once its window is on the screen, and only then are its
// flags written: a window that never came (the program ended first, the
// window manager never mapped it) leaves the notice to come again. Until
// then the ledger keeps the next ticks from handing it out twice.
void Ticker::giveDueNotices(const QDate& today, const QTime& now) {
    const DayList& view = m_schedule.view();
    const std::vector<DueNotice> due =
        m_ledger.withoutPending(view, dueNotices(view, m_settings, today, now));
    if (due.empty())
        return;
    struct Handout {
        QString place;
        QString comment;
        int kind;
        int ticket;
    };
    // Everything is taken from the list before the store or a window is
    // called: either may change the list and its indices.
    std::vector<NoticeMark> settled;
    std::vector<Handout> handouts;
    for (const DueNotice& d : due) {
        const ScheduleEntry& e = view[static_cast<size_t>(d.index)];
        if (d.kind == SettledSilently || !m_notices)
            settled.push_back(noticeMark(d));
        else
            handouts.push_back(
                {trimSpaces(e.place), trimSpaces(e.comment), d.kind, m_ledger.hand(e, d)});
    }
    if (!settled.empty())
        writeMarks(settled, false);
    const QPointer<Ticker> alive(this);
    for (const Handout& h : handouts) {
        m_notices(h.place, h.comment, h.kind, m_settings.preAlarmMinute,
                  [alive, ticket = h.ticket] {
                      if (!alive)
                          return;
                      alive->m_ledger.markShown(ticket);
                      alive->m_settleTimer->start();
                  });
    }
    // A window that is on the screen at once (or none opened) is settled in
    // the same tick.
    if (m_ledger.hasShown())
        settleShownNotices();
}

// An event's own reminder is given like an advance notice, and counts as
// given once its window is on the screen.
void Ticker::giveDueReminders(const QDateTime& now) {
    const std::vector<ReadOnlyEntry>& entries = m_schedule.readOnlyEntries();
    struct Handout {
        QString place;
        QString comment;
        int leadMinutes;
        QString noticeKey;
        qint64 at;
    };
    std::vector<Handout> handouts;
    for (const DueReminder& d : dueReminders(entries, m_settings, now)) {
        const ReadOnlyEntry& r = entries[static_cast<size_t>(d.entry)];
        const qint64 at = r.reminders[static_cast<size_t>(d.reminder)].at;
        if (m_pendingReminders.contains(pendingKey(r.noticeKey, at)))
            continue;
        handouts.push_back({trimSpaces(r.entry.place), trimSpaces(r.entry.comment), d.leadMinutes,
                            r.noticeKey, at});
    }
    const QPointer<Ticker> alive(this);
    for (const Handout& h : handouts) {
        if (!m_notices) {
            m_schedule.markReminder(h.noticeKey, h.at);
            continue;
        }
        m_pendingReminders.insert(pendingKey(h.noticeKey, h.at));
        m_notices(h.place, h.comment, AdvanceNotice, h.leadMinutes,
                  [alive, key = h.noticeKey, at = h.at] {
                      if (!alive)
                          return;
                      alive->m_pendingReminders.remove(pendingKey(key, at));
                      alive->m_schedule.markReminder(key, at);
                  });
    }
}

void Ticker::settleShownNotices() {
    m_settleTimer->stop();
    bool started = false;
    const std::vector<NoticeMark> marks = m_ledger.takeShown(m_schedule.view(), &started);
    writeMarks(marks, started);
}

void Ticker::writeMarks(const std::vector<NoticeMark>& marks, bool started) {
    if (marks.empty())
        return;
    const bool written = m_schedule.markViewNotices(marks);
    if (started)
        emit startNoticeGiven();
    if (!written)
        emit writeFailed();
}

} // namespace tanzo
