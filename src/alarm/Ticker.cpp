#include "Ticker.h"

#include "core/Settings.h"
#include "platform/Clock.h"
#include "platform/SoundPlayer.h"
#include "schedule/ScheduleStore.h"

#include <QTimer>

namespace tanzo {
namespace {
// How long before a notice its sound is made ready: loading the audio
// machinery cold takes longer than a notice may wait for its sound.
constexpr int kSoundLeadSeconds = 60;
} // namespace

Ticker::Ticker(const Clock& clock, ScheduleStore& schedule, const Settings& settings,
               SoundPlayer& sound, NoticeSink notices, QObject* parent)
    : QObject(parent), m_clock(clock), m_schedule(schedule), m_settings(settings), m_sound(sound),
      m_notices(std::move(notices)), m_timer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &Ticker::tick);
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

    const std::vector<DueNotice> due = dueNotices(m_schedule.view(), m_settings, today, now.time());
    if (!due.empty()) {
        std::vector<NoticeMark> marks;
        marks.reserve(due.size());
        for (const DueNotice& d : due)
            marks.push_back(noticeMark(d));
        // Marked, and written, before any notice shows: whatever runs while
        // a notice opens sees the entries settled.
        const bool written = m_schedule.markViewNotices(marks);
        bool started = false;
        for (const DueNotice& d : due) {
            started = started || d.kind == StartNotice;
            const ScheduleEntry& e = m_schedule.view()[static_cast<size_t>(d.index)];
            if (d.kind != SettledSilently && m_notices)
                m_notices(trimSpaces(e.place), trimSpaces(e.comment), d.kind);
        }
        if (started)
            emit startNoticeGiven();
        if (!written)
            emit writeFailed();
    }

    const int minute = now.time().hour() * 60 + now.time().minute();
    if (m_lastMinute >= 0 && minute != m_lastMinute)
        emit minuteTurned();
    m_lastMinute = minute;

    if (m_settings.alarmSound &&
        noticeDueWithin(m_schedule.view(), m_settings, today, now.time(), kSoundLeadSeconds))
        m_sound.prepare(m_settings.soundPath());
}

} // namespace tanzo
