#include "CalendarSubscriptions.h"

#include "platform/Clock.h"

#include <QNetworkAccessManager>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>

namespace tanzo {
namespace {
constexpr int kRefreshCheckMs = 60 * 1000;
constexpr int kArrivedBit = 1;
constexpr int kPreNoticedBit = 2;
} // namespace

CalendarSubscriptions::CalendarSubscriptions(QString listPath, QString cacheDirectory,
                                             const Clock& clock, QObject* parent)
    : QObject(parent), m_clock(clock), m_list(std::move(listPath)),
      m_cache(std::move(cacheDirectory)), m_passwords(new PasswordStore(this)),
      m_network(new QNetworkAccessManager(this)), m_workers(std::make_unique<QThreadPool>()) {
    // One conversion at a time: libical's zone tables are shared.
    m_workers->setMaxThreadCount(1);
    m_network->setAutoDeleteReplies(false);
}

CalendarSubscriptions::~CalendarSubscriptions() {
    writeFlags();
    for (const auto& sync : std::as_const(m_running)) {
        if (sync)
            sync->disconnect(this);
    }
    m_workers->waitForDone();
}

bool CalendarSubscriptions::load(QString* error) {
    const bool ok = m_list.load(error);
    m_copies.clear();
    for (const Subscription& s : m_list.items())
        m_copies.insert(s.name, m_cache.read(s.name));
    m_flags = m_cache.readFlags();
    return ok;
}

std::vector<SubscribedAppointment> CalendarSubscriptions::appointments() const {
    std::vector<SubscribedAppointment> all;
    // A copy made on an earlier day still holds days gone by until the
    // next sync: those are not shown.
    const float today = daySerial(m_clock.today());
    for (const Subscription& s : m_list.items()) {
        for (SubscribedEntry& e : m_copies.value(s.name).allEntries()) {
            if (e.entry.dateSerial < today)
                continue;
            const int flags = m_flags.value(e.noticeKey());
            e.entry.arrived = flags & kArrivedBit;
            e.entry.preNoticed = flags & kPreNoticedBit;
            all.push_back({std::move(e), s.name});
        }
    }
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        if (a.event.entry.dateSerial != b.event.entry.dateSerial)
            return a.event.entry.dateSerial < b.event.entry.dateSerial;
        return a.event.entry.startHourMinute().hour * 60 + a.event.entry.startHourMinute().minute <
               b.event.entry.startHourMinute().hour * 60 + b.event.entry.startHourMinute().minute;
    });
    return all;
}

std::vector<ReadOnlyEntry> CalendarSubscriptions::readOnlyEntries() const {
    std::vector<ReadOnlyEntry> entries;
    for (SubscribedAppointment& a : appointments())
        entries.push_back({a.event.entry, a.subscription, a.event.noticeKey()});
    return entries;
}

void CalendarSubscriptions::add(const Subscription& subscription, const QString& password,
                                Done done) {
    if (m_list.find(subscription.name)) {
        done(false, QStringLiteral("同じ名前の購読があります: %1").arg(subscription.name));
        return;
    }
    if (m_list.items().size() >= size_t(kMaxSubscriptions)) {
        done(false, QStringLiteral("購読は%1件までです。").arg(kMaxSubscriptions));
        return;
    }
    startSync(
        subscription, password,
        [this, subscription, password, done = std::move(done)](bool ok, const QString& m) {
            const Subscription::Kind kind = m_foundKind.take(subscription.name);
            if (!ok) {
                m_copies.remove(subscription.name);
                done(false, m);
                return;
            }
            Subscription kept = subscription;
            kept.kind = kind;
            m_list.put(kept);
            if (!m_list.save()) {
                done(false,
                     QStringLiteral("購読の設定を書き込めませんでした: %1").arg(m_list.filePath()));
                return;
            }
            m_cache.write(subscription.name, m_copies.value(subscription.name));
            emit appointmentsChanged();
            if (subscription.user.isEmpty()) {
                done(true, QString());
                return;
            }
            m_passwords->write(subscription.name, password,
                               [done](bool, const QString& note) { done(true, note); });
        });
}

bool CalendarSubscriptions::remove(const QString& name) {
    if (!m_list.remove(name))
        return false;
    if (auto sync = m_running.take(name))
        sync->cancel();
    m_list.save();
    m_copies.remove(name);
    m_cache.remove(name);
    m_passwords->remove(name);
    pruneFlags();
    emit appointmentsChanged();
    return true;
}

void CalendarSubscriptions::syncAll() {
    for (const Subscription& s : m_list.items())
        sync(s.name);
    if (m_running.isEmpty())
        emit idle();
}

void CalendarSubscriptions::sync(const QString& name) {
    const Subscription* found = m_list.find(name);
    if (!found || m_running.contains(name))
        return;
    const Subscription s = *found;
    m_running.insert(name, nullptr); // busy while the password is read
    if (s.user.isEmpty()) {
        m_running.remove(name);
        startSync(s, QString(), {});
        return;
    }
    m_passwords->read(name, [this, s](const QString& password, const QString& problem) {
        m_running.remove(s.name);
        if (!m_list.find(s.name))
            return;
        if (!problem.isEmpty()) {
            SubscriptionCopy& copy = m_copies[s.name];
            copy.ok = false;
            copy.status = problem;
            copy.lastAttempt = m_clock.now();
            emit syncFinished(s.name, false);
            if (m_running.isEmpty())
                emit idle();
            return;
        }
        startSync(s, password, {});
    });
}

void CalendarSubscriptions::startSync(const Subscription& s, const QString& password, Done done) {
    auto* run = new SubscriptionSync(s, password, m_copies.value(s.name), m_clock.today(),
                                     *m_network, *m_workers, this);
    m_running.insert(s.name, run);
    connect(run, &SubscriptionSync::finished, this,
            [this, name = s.name, done = std::move(done)](const SyncResult& result) {
                m_running.remove(name);
                m_foundKind.insert(name, result.kind);
                SubscriptionCopy copy = result.copy;
                copy.lastAttempt = m_clock.now();
                copy.ok = result.ok;
                copy.status = result.status;
                if (result.ok)
                    copy.lastSync = copy.lastAttempt;
                m_copies.insert(name, copy);
                if (m_list.find(name))
                    m_cache.write(name, copy);
                if (result.changed) {
                    pruneFlags();
                    emit appointmentsChanged();
                }
                if (done)
                    done(result.ok, result.status);
                emit syncFinished(name, result.ok);
                if (m_running.isEmpty())
                    emit idle();
            });
    run->start();
}

void CalendarSubscriptions::startRefreshing() {
    if (m_refresh)
        return;
    m_refresh = new QTimer(this);
    connect(m_refresh, &QTimer::timeout, this, &CalendarSubscriptions::syncDue);
    m_refresh->start(kRefreshCheckMs);
    syncDue();
}

void CalendarSubscriptions::syncDue() {
    const QDateTime now = m_clock.now();
    for (const Subscription& s : m_list.items()) {
        const SubscriptionCopy copy = m_copies.value(s.name);
        // A new day needs the new day's occurrences at once.
        if (!copy.lastAttempt.isValid() || copy.windowStart != now.date() ||
            copy.lastAttempt.secsTo(now) >= s.refreshMinutes * 60LL)
            sync(s.name);
    }
}

void CalendarSubscriptions::markNotice(const QString& noticeKey, bool arrived, bool preNoticed) {
    const int flags = (arrived ? kArrivedBit : 0) | (preNoticed ? kPreNoticedBit : 0);
    const int before = m_flags.value(noticeKey);
    if ((before | flags) == before)
        return;
    m_flags.insert(noticeKey, before | flags);
    // Written after the tick that gave the notice, once for all its marks.
    if (!m_flagsPending) {
        m_flagsPending = true;
        QTimer::singleShot(0, this, &CalendarSubscriptions::writeFlags);
    }
}

void CalendarSubscriptions::writeFlags() {
    if (!m_flagsPending)
        return;
    m_flagsPending = false;
    m_cache.writeFlags(m_flags);
}

void CalendarSubscriptions::pruneFlags() {
    QSet<QString> live;
    for (const SubscriptionCopy& copy : std::as_const(m_copies)) {
        for (const SubscribedEntry& e : copy.allEntries())
            live.insert(e.noticeKey());
    }
    const auto before = m_flags.size();
    for (auto it = m_flags.begin(); it != m_flags.end();)
        it = live.contains(it.key()) ? std::next(it) : m_flags.erase(it);
    if (m_flags.size() != before) {
        m_flagsPending = true;
        writeFlags();
    }
}

} // namespace tanzo
