#pragma once

#include "PasswordStore.h"
#include "SubscriptionCopy.h"
#include "SubscriptionList.h"
#include "SubscriptionSync.h"
#include "schedule/ScheduleStore.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QThreadPool;
class QTimer;

namespace tanzo {

class Clock;

// A subscribed appointment as the board, the alarms and the command line
// see it: read-only, with the name of its subscription.
struct SubscribedAppointment {
    SubscribedEntry event;
    QString subscription;
};

// The user's calendar subscriptions and their last good copies: adds and
// removes them, syncs them now or when their refresh interval has passed,
// keeps each copy and the notice flags in the cache folder, and hands out
// their appointments. Nothing here touches the data file.
class CalendarSubscriptions : public QObject {
    Q_OBJECT
public:
    CalendarSubscriptions(QString listPath, QString cacheDirectory, const Clock& clock,
                          QObject* parent = nullptr);
    ~CalendarSubscriptions() override;

    // Reads the list, the copies and the flags. False with *error when the
    // list file is damaged (the copies of nothing are then shown).
    bool load(QString* error = nullptr);

    const std::vector<Subscription>& subscriptions() const { return m_list.items(); }
    SubscriptionCopy copyOf(const QString& name) const { return m_copies.value(name); }
    bool isSyncing(const QString& name) const { return m_running.contains(name); }
    bool anySyncing() const { return !m_running.isEmpty(); }

    // Every subscription's appointments in date and time order, with the
    // notice flags given so far.
    std::vector<SubscribedAppointment> appointments() const;
    // The same, as the store's read-only set.
    std::vector<ReadOnlyEntry> readOnlyEntries() const;

    // Tests the connection with one sync; only when it succeeds is the
    // subscription kept (and its password stored). done(ok, message).
    using Done = std::function<void(bool ok, const QString& message)>;
    void add(const Subscription& subscription, const QString& password, Done done);
    bool remove(const QString& name);

    void syncAll();
    void sync(const QString& name);
    // Syncs each subscription whose refresh interval has passed, checking
    // once a minute from now on.
    void startRefreshing();

    // A notice was given for the appointment with this key.
    void markNotice(const QString& noticeKey, bool arrived, bool preNoticed);

    PasswordStore& passwords() { return *m_passwords; }

signals:
    // The appointments changed (a sync brought changes, or one was removed).
    void appointmentsChanged();
    // One sync ended; its status is in copyOf(name).
    void syncFinished(const QString& name, bool ok);
    // No sync is running any more.
    void idle();

private:
    void startSync(const Subscription& s, const QString& password, Done done);
    void syncDue();
    void pruneFlags();
    void writeFlags();

    const Clock& m_clock;
    SubscriptionList m_list;
    SubscriptionCache m_cache;
    QMap<QString, SubscriptionCopy> m_copies;
    QMap<QString, int> m_flags;
    bool m_flagsPending = false;
    QHash<QString, Subscription::Kind> m_foundKind; // of the sync that tests a new address
    QHash<QString, QPointer<SubscriptionSync>> m_running;
    PasswordStore* m_passwords = nullptr;
    QNetworkAccessManager* m_network = nullptr;
    std::unique_ptr<QThreadPool> m_workers;
    QTimer* m_refresh = nullptr;
};

} // namespace tanzo
