#include "OwnSeries.h"

#include "calendar/IcsWorker.h"
#include "platform/Clock.h"
#include "subscriptions/EventConversion.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace tanzo {
namespace {

constexpr int kArrived = 1;
constexpr int kPreNoticed = 2;

std::vector<SubscribedEntry> occurrences(const std::vector<QByteArray>& texts, QDate today) {
    std::vector<SubscribedEntry> all;
    for (const QByteArray& text : texts) {
        ConvertedEvents converted = convertCalendar(text, today);
        all.insert(all.end(), converted.entries.begin(), converted.entries.end());
    }
    keepSoonest(all, kMaxSubscribedEntries);
    return all;
}

} // namespace

OwnSeries::OwnSeries(const Clock& clock, QObject* parent) : QObject(parent), m_clock(clock) {}

bool OwnSeries::isStale() const {
    return m_shownFor.isValid() && m_shownFor != m_clock.today();
}

void OwnSeries::show(std::vector<QByteArray> texts) {
    if (texts.size() > size_t(kMaxShown))
        texts.resize(size_t(kMaxShown));
    const QDate today = m_clock.today();
    m_shownFor = today;
    const quint64 generation = ++m_generation;
    if (texts.empty()) {
        if (!m_entries.empty()) {
            m_entries.clear();
            emit changed();
        }
        return;
    }
    using Found = std::vector<SubscribedEntry>;
    auto* watcher = new QFutureWatcher<Found>(this);
    connect(watcher, &QFutureWatcher<Found>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_generation)
            return;
        m_entries.clear();
        for (SubscribedEntry& e : watcher->future().takeResult()) {
            const QString key = kKeyPrefix + e.noticeKey();
            // An all-day one has no start to announce.
            const int flags = e.allDay ? kArrived | kPreNoticed : m_noticed.value(key);
            e.entry.arrived = flags & kArrived;
            e.entry.preNoticed = flags & kPreNoticed;
            std::vector<Reminder> reminders;
            for (const qint64 at : e.reminders)
                reminders.push_back({at, reminderGiven(key, at)});
            m_entries.push_back({e.entry, kSource, key, e.allDay, e.description, reminders});
        }
        emit changed();
    });
    watcher->setFuture(QtConcurrent::run(&ics::worker(), occurrences, std::move(texts), today));
}

ReadOnlyNotices::Flags OwnSeries::noticeOf(const QString& noticeKey) const {
    const int flags = m_noticed.value(noticeKey);
    return {bool(flags & kArrived), bool(flags & kPreNoticed)};
}

bool OwnSeries::reminderGiven(const QString& noticeKey, qint64 at) const {
    return m_reminded.contains(reminderKey(noticeKey, at));
}

void OwnSeries::markReminder(const QString& noticeKey, qint64 at) {
    if (noticeKey.startsWith(kKeyPrefix))
        m_reminded.insert(reminderKey(noticeKey, at));
}

void OwnSeries::markNotice(const QString& noticeKey, bool arrived, bool preNoticed) {
    if (!noticeKey.startsWith(kKeyPrefix))
        return;
    m_noticed[noticeKey] |= (arrived ? kArrived : 0) | (preNoticed ? kPreNoticed : 0);
}

} // namespace tanzo
