#include "SubscriptionFlags.h"

#include <QSet>
#include <QTimer>

namespace tanzo {
namespace {
constexpr int kArrivedBit = 1;
constexpr int kPreNoticedBit = 2;
constexpr int kRemindedBit = 4;
} // namespace

SubscriptionFlags::SubscriptionFlags(const SubscriptionCache& cache, QObject* parent)
    : QObject(parent), m_cache(cache) {}

void SubscriptionFlags::load() {
    m_flags = m_cache.readFlags();
}

ReadOnlyNotices::Flags SubscriptionFlags::noticeOf(const QString& noticeKey) const {
    const int flags = m_flags.value(noticeKey);
    return {(flags & kArrivedBit) != 0, (flags & kPreNoticedBit) != 0};
}

bool SubscriptionFlags::reminderGiven(const QString& noticeKey, qint64 at) const {
    return m_flags.contains(reminderKey(noticeKey, at));
}

void SubscriptionFlags::markNotice(const QString& noticeKey, bool arrived, bool preNoticed) {
    const int flags = (arrived ? kArrivedBit : 0) | (preNoticed ? kPreNoticedBit : 0);
    const int before = m_flags.value(noticeKey);
    if ((before | flags) == before)
        return;
    m_flags.insert(noticeKey, before | flags);
    writeAfterTheTick();
}

void SubscriptionFlags::markReminder(const QString& noticeKey, qint64 at) {
    const QString key = reminderKey(noticeKey, at);
    if (m_flags.contains(key))
        return;
    m_flags.insert(key, kRemindedBit);
    writeAfterTheTick();
}

void SubscriptionFlags::writeAfterTheTick() {
    m_dirty = true;
    // Written after the tick that gave the notice, once for all its marks.
    if (!m_scheduled) {
        m_scheduled = true;
        QTimer::singleShot(0, this, &SubscriptionFlags::write);
    }
}

void SubscriptionFlags::keepOnlyThoseOf(const QMap<QString, SubscriptionCopy>& copies) {
    QSet<QString> live;
    for (const SubscriptionCopy& copy : copies) {
        for (const SubscribedEntry& e : copy.allEntries()) {
            const QString key = e.noticeKey();
            live.insert(key);
            for (const qint64 at : e.reminders)
                live.insert(reminderKey(key, at));
        }
    }
    const auto before = m_flags.size();
    for (auto it = m_flags.begin(); it != m_flags.end();)
        it = live.contains(it.key()) ? std::next(it) : m_flags.erase(it);
    if (m_flags.size() != before) {
        m_dirty = true;
        write();
    }
}

void SubscriptionFlags::write() {
    m_scheduled = false;
    if (!m_dirty)
        return;
    // A failed write stays due: the next notice, sync or the exit tries again.
    m_dirty = !m_cache.writeFlags(m_flags);
    const QString problem =
        m_dirty ? QStringLiteral("通知済みの印を書き込めませんでした: %1").arg(m_cache.flagsFile())
                : QString();
    if (problem == m_problem)
        return;
    m_problem = problem;
    emit problemChanged();
}

} // namespace tanzo
