#include "CalendarSubscriptions.h"

#include "platform/Clock.h"

#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <tuple>

namespace tanzo {
namespace {
constexpr int kRefreshCheckMs = 60 * 1000;
const QString kListNotWritten = QStringLiteral("購読の設定を書き込めませんでした: %1");
const QString kNoMachinery =
    QStringLiteral("カレンダーの同期機能を読み込めないため、同期もパスワードの操作もできません。");
} // namespace

CalendarSubscriptions::CalendarSubscriptions(QString listPath, QString cacheDirectory,
                                             const Clock& clock, QObject* parent,
                                             const FileWriter& writer)
    : QObject(parent), m_clock(clock), m_list(std::move(listPath), writer),
      m_cache(std::move(cacheDirectory), writer), m_flags(m_cache) {
    connect(&m_flags, &SubscriptionFlags::problemChanged, this,
            &CalendarSubscriptions::statusChanged);
}

CalendarSubscriptions::~CalendarSubscriptions() {
    m_flags.write();
    // A conversion still on the worker ends on its own: it holds only
    // copies of its input.
    for (const auto& sync : std::as_const(m_running)) {
        if (sync)
            sync->disconnect(this);
    }
}

bool CalendarSubscriptions::load(QString* error) {
    const bool ok = m_list.load(error);
    m_copies.clear();
    m_copyProblems.clear();
    for (const Subscription& s : m_list.items())
        m_copies.insert(s.name, m_cache.read(s.name));
    m_flags.load();
    return ok;
}

QString CalendarSubscriptions::statusOf(const QString& name) const {
    const SubscriptionCopy copy = m_copies.value(name);
    QStringList parts;
    if (!copy.lastAttempt.isValid())
        parts << QStringLiteral("未同期");
    else if (!copy.ok)
        parts << copy.status;
    else if (const int leftOut = copy.leftOutCount(); leftOut > 0)
        parts << QStringLiteral(
                     "予定が多すぎるため、近いものから%1件を表示し、%2件を省いています。")
                     .arg(copy.entryCount())
                     .arg(leftOut);
    else
        parts << QStringLiteral("正常");
    for (const QString& problem : {m_listProblem, m_copyProblems.value(name), m_flags.problem()}) {
        if (!problem.isEmpty())
            parts << problem;
    }
    return parts.join(QStringLiteral("　"));
}

bool CalendarSubscriptions::hasProblem(const QString& name) const {
    return !m_copies.value(name).ok || !m_listProblem.isEmpty() || m_copyProblems.contains(name) ||
           !m_flags.problem().isEmpty();
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
            // An all-day appointment has no start to announce: its flags
            // say all is done, so the alarms pass it by.
            const ReadOnlyNotices::Flags flags =
                e.allDay ? ReadOnlyNotices::Flags{true, true} : m_flags.noticeOf(e.noticeKey());
            e.entry.arrived = flags.arrived;
            e.entry.preNoticed = flags.preNoticed;
            all.push_back({std::move(e), s.name});
        }
    }
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        const HourMinute at = a.event.entry.startHourMinute();
        const HourMinute bt = b.event.entry.startHourMinute();
        return std::tuple(a.event.entry.dateSerial, !a.event.allDay, at.hour * 60 + at.minute) <
               std::tuple(b.event.entry.dateSerial, !b.event.allDay, bt.hour * 60 + bt.minute);
    });
    return all;
}

std::vector<ReadOnlyEntry> CalendarSubscriptions::readOnlyEntries() const {
    std::vector<ReadOnlyEntry> entries;
    // The clock looks at the reminders every second: those of the soonest
    // appointments only, however many subscriptions there are.
    int reminders = 0;
    for (SubscribedAppointment& a : appointments()) {
        const QString key = a.event.noticeKey();
        ReadOnlyEntry r{
            a.event.entry, a.subscription, key, a.event.allDay, std::move(a.event.description), {}};
        for (const qint64 at : a.event.reminders) {
            if (reminders++ >= kMaxSubscribedReminders)
                break;
            r.reminders.push_back({at, m_flags.reminderGiven(key, at)});
        }
        entries.push_back(std::move(r));
    }
    return entries;
}

QString CalendarSubscriptions::refusalOf(const Subscription& subscription) const {
    return m_list.refusalOf(subscription, m_adding);
}

void CalendarSubscriptions::add(const Subscription& subscription, const QString& password,
                                Done done) {
    if (const QString refusal = refusalOf(subscription); !refusal.isEmpty()) {
        done(false, refusal);
        return;
    }
    m_adding.insert(subscription.name, subscription.url);
    startSync(subscription, password,
              [this, subscription, password, done = std::move(done)](bool ok, const QString& m) {
                  m_adding.remove(subscription.name);
                  const Subscription::Kind kind = m_foundKind.take(subscription.name);
                  if (!ok) {
                      m_copies.remove(subscription.name);
                      done(false, m);
                      return;
                  }
                  Subscription kept = subscription;
                  kept.kind = kind;
                  const std::vector<Subscription> before = m_list.items();
                  m_list.put(kept);
                  if (!saveList()) {
                      // Not kept: the list in memory stays what its file holds.
                      m_list.setItems(before);
                      m_copies.remove(subscription.name);
                      done(false, kListNotWritten.arg(m_list.filePath()));
                      return;
                  }
                  writeCopy(subscription.name);
                  emit appointmentsChanged();
                  if (subscription.user.isEmpty()) {
                      done(true, QString());
                      return;
                  }
                  machinery()->passwords().write(
                      subscription.name, password,
                      [done](bool, const QString& note) { done(true, note); });
              });
}

void CalendarSubscriptions::change(QString name, Subscription changed,
                                   const std::optional<QString>& password, Done done) {
    const Subscription* old = m_list.find(name);
    if (!old) {
        done(false, QStringLiteral("その名前の購読はありません: %1").arg(name));
        return;
    }
    if (changed.name != name && (m_list.find(changed.name) || m_adding.contains(changed.name))) {
        done(false, QStringLiteral("同じ名前の購読があります: %1").arg(changed.name));
        return;
    }
    if (m_running.contains(name)) {
        done(false, QStringLiteral("同期中です。終わってからもう一度変えてください: %1").arg(name));
        return;
    }
    if (!password) {
        applyChange(name, changed, std::nullopt, std::move(done));
        return;
    }
    // The new credentials are tried under the old name: a good sync is a
    // sync like any other, a refused one leaves the old password in place.
    Subscription trial = changed;
    trial.name = name;
    // A refused trial is no failure of the subscription: it keeps its copy
    // and status as they were.
    const SubscriptionCopy before = m_copies.value(name);
    startSync(
        trial, *password,
        [this, name, changed, password, before, done = std::move(done)](bool ok, const QString& m) {
            m_foundKind.remove(name);
            if (!ok) {
                if (m_list.find(name)) {
                    m_copies.insert(name, before);
                    writeCopy(name);
                }
                done(false, m);
                return;
            }
            applyChange(name, changed, password, done);
        });
}

void CalendarSubscriptions::applyChange(QString name, Subscription changed,
                                        const std::optional<QString>& password, Done done) {
    if (!m_list.find(name)) {
        done(false, QStringLiteral("その名前の購読はありません: %1").arg(name));
        return;
    }
    const std::vector<Subscription> before = m_list.items();
    std::vector<Subscription> after = before;
    for (Subscription& s : after) {
        if (s.name == name)
            s = changed;
    }
    m_list.setItems(after);
    if (!saveList()) {
        m_list.setItems(before);
        done(false, kListNotWritten.arg(m_list.filePath()));
        return;
    }
    if (changed.name != name) {
        m_copies.insert(changed.name, m_copies.take(name));
        m_copyProblems.remove(name);
        m_cache.remove(name);
        writeCopy(changed.name);
    }
    emit appointmentsChanged();
    if (password) {
        machinery()->passwords().write(
            changed.name, *password,
            [this, name, renamed = changed.name != name, done](bool, const QString& note) {
                if (!renamed) {
                    done(true, note);
                    return;
                }
                m_machinery->passwords().remove(name, [done, note](const QString& left) {
                    done(true, left.isEmpty() ? note : left);
                });
            });
    } else if (changed.name != name && !changed.user.isEmpty()) {
        movePassword(name, changed.name, std::move(done));
    } else {
        done(true, QString());
    }
}

void CalendarSubscriptions::movePassword(const QString& from, const QString& to, Done done) {
    if (!machinery())
        done(true, kNoMachinery);
    else
        m_machinery->passwords().move(from, to, [done](const QString& note) { done(true, note); });
}

void CalendarSubscriptions::cancelAdding(const QString& name) {
    if (!m_adding.contains(name))
        return;
    if (const QPointer<SyncJob> sync = m_running.value(name))
        sync->cancel();
}

bool CalendarSubscriptions::remove(const QString& name, QString* error,
                                   PasswordStore::RemoveDone passwordGone) {
    const std::vector<Subscription> before = m_list.items();
    const Subscription* found = m_list.find(name);
    const bool hadUser = found && !found->user.isEmpty();
    if (!m_list.remove(name))
        return false;
    if (!saveList()) {
        // Kept whole, or it would come back at the next start anyway.
        m_list.setItems(before);
        if (error)
            *error = m_listProblem;
        return false;
    }
    if (auto sync = m_running.take(name))
        sync->cancel();
    m_copies.remove(name);
    m_copyProblems.remove(name);
    m_cache.remove(name);
    m_flags.keepOnlyThoseOf(m_copies);
    // Without a user there is no password to wait for (nor a secret store
    // to complain about its absence), though a stray one still goes.
    if (!machinery()) {
        if (passwordGone)
            passwordGone(hadUser ? kNoMachinery : QString());
    } else if (hadUser) {
        m_machinery->passwords().remove(name, std::move(passwordGone));
    } else {
        m_machinery->passwords().remove(name);
        if (passwordGone)
            passwordGone(QString());
    }
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
    if (s.user.isEmpty()) {
        startSync(s, QString(), {});
        return;
    }
    if (!machinery()) {
        failSync(name, kNoMachinery);
        return;
    }
    m_running.insert(name, nullptr); // busy while the password is read
    m_machinery->passwords().read(name, [this, s](const QString& password, const QString& problem) {
        m_running.remove(s.name);
        if (!m_list.find(s.name))
            return;
        if (!problem.isEmpty()) {
            failSync(s.name, problem);
            return;
        }
        startSync(s, password, {});
    });
}

SyncMachinery* CalendarSubscriptions::machinery() {
    if (!m_machinery && m_machinerySource)
        m_machinery = m_machinerySource();
    return m_machinery;
}

void CalendarSubscriptions::failSync(const QString& name, const QString& problem) {
    SubscriptionCopy& copy = m_copies[name];
    copy.ok = false;
    copy.status = problem;
    copy.lastAttempt = m_clock.now();
    emit syncFinished(name, false);
    if (m_running.isEmpty())
        emit idle();
}

void CalendarSubscriptions::startSync(const Subscription& s, const QString& password, Done done) {
    if (!machinery()) {
        if (done)
            done(false, kNoMachinery);
        else
            failSync(s.name, kNoMachinery);
        return;
    }
    SyncJob* run =
        m_machinery->makeSync(s, password, m_copies.value(s.name), m_clock.today(), this);
    m_running.insert(s.name, run);
    connect(run, &SyncJob::finished, this,
            [this, name = s.name, done = std::move(done)](const SyncResult& result) {
                m_running.remove(name);
                m_foundKind.insert(name, result.kind);
                if (result.untrustedCertificate.isEmpty())
                    m_untrusted.remove(name);
                else
                    m_untrusted.insert(name, result.untrustedCertificate);
                SubscriptionCopy copy = result.copy;
                copy.lastAttempt = m_clock.now();
                copy.ok = result.ok;
                // A success clears the reason of an earlier failure, even
                // when it keeps the earlier copy (nothing changed).
                copy.status = result.ok ? QString() : result.status;
                if (result.ok)
                    copy.lastSync = copy.lastAttempt;
                m_copies.insert(name, copy);
                if (m_list.find(name))
                    writeCopy(name);
                // What could not be written before is tried again.
                if (!m_listProblem.isEmpty())
                    saveList();
                m_flags.write();
                if (result.changed) {
                    m_flags.keepOnlyThoseOf(m_copies);
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

bool CalendarSubscriptions::saveList() {
    const bool saved = m_list.save();
    setProblem(m_listProblem, saved ? QString() : kListNotWritten.arg(m_list.filePath()));
    return saved;
}

void CalendarSubscriptions::writeCopy(const QString& name) {
    QString& slot = m_copyProblems[name];
    if (m_cache.write(name, m_copies.value(name)))
        setProblem(slot, {});
    else
        setProblem(slot,
                   QStringLiteral("控えを書き込めませんでした: %1").arg(m_cache.fileOf(name)));
    if (slot.isEmpty())
        m_copyProblems.remove(name);
}

void CalendarSubscriptions::setProblem(QString& slot, const QString& problem) {
    if (slot == problem)
        return;
    slot = problem;
    emit statusChanged();
}

} // namespace tanzo
