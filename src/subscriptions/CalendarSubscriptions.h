#pragma once

#include "SubscriptionCopy.h"
#include "SubscriptionFlags.h"
#include "SubscriptionList.h"
#include "SyncMachinery.h"
#include "schedule/ScheduleStore.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

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
// their appointments. Nothing here touches the data file. The network and
// the secret store come from a SyncMachinery, asked for at the first sync
// (see setMachinery); without one, syncs fail with a status that says so. A file of its own
// that cannot be written is reported in the status of the subscriptions it
// concerns; it never costs a subscription. Their appointments' notice flags
// are kept by noticeFlags(), which the store reads and marks.
class CalendarSubscriptions : public QObject {
    Q_OBJECT
public:
    CalendarSubscriptions(QString listPath, QString cacheDirectory, const Clock& clock,
                          QObject* parent = nullptr, const FileWriter& writer = writeFileWhole);
    ~CalendarSubscriptions() override;

    void setMachinery(SyncMachinerySource source) { m_machinerySource = std::move(source); }

    // Reads the list, the copies and the flags. False with *error when the
    // list file is damaged (the copies of nothing are then shown).
    bool load(QString* error = nullptr);

    const std::vector<Subscription>& subscriptions() const { return m_list.items(); }
    SubscriptionCopy copyOf(const QString& name) const { return m_copies.value(name); }
    bool isSyncing(const QString& name) const { return m_running.contains(name); }
    bool anySyncing() const { return !m_running.isEmpty(); }

    // What a person reads as the subscription's status: 未同期, 正常, why
    // the last sync failed, how many appointments the cap left out, and
    // each of its files that could not be written.
    QString statusOf(const QString& name) const;
    // The last sync failed, or a file of the subscription was not written.
    bool hasProblem(const QString& name) const;

    // Every subscription's appointments in date and time order (all-day
    // ones first on their day), with the notice flags given so far; an
    // all-day appointment has both set, as it gives no notice.
    std::vector<SubscribedAppointment> appointments() const;
    // The same, as the store's read-only set.
    std::vector<ReadOnlyEntry> readOnlyEntries() const;

    // Tests the connection with one sync; only when it succeeds is the
    // subscription kept (and its password stored). done(ok, message).
    using Done = std::function<void(bool ok, const QString& message)>;
    void add(const Subscription& subscription, const QString& password, Done done);
    // Changes a subscription's name and refresh interval, and with a
    // password its user and password: those are tested with one sync
    // first, as a new subscription is, and the old ones stay when the test
    // fails. The copy, the notice flags and the password follow a new name.
    // (Taken by value: the caller's may be the list's own, which this replaces.)
    void change(QString name, Subscription changed, const std::optional<QString>& password,
                Done done);
    // The fingerprint of the certificate the last sync of this subscription
    // refused (also of one being added), for the user to trust; empty when
    // none was.
    QString untrustedCertificateOf(const QString& name) const { return m_untrusted.value(name); }
    // Stops the connection test of a subscription being added: its done
    // comes with the reason.
    void cancelAdding(const QString& name);
    // Why a subscription cannot be added: its name or its address is
    // subscribed or being added, or the list is full. Empty when it can.
    QString refusalOf(const Subscription& subscription) const;
    // False when there is no subscription of that name, or when the list
    // could not be written (*error says so; the subscription stays whole).
    // passwordGone(problem) comes once its password has left the secret
    // store, or could not.
    bool remove(const QString& name, QString* error = nullptr,
                PasswordStore::RemoveDone passwordGone = {});

    void syncAll();
    void sync(const QString& name);
    // Syncs each subscription whose refresh interval has passed, checking
    // once a minute from now on.
    void startRefreshing();

    SubscriptionFlags& noticeFlags() { return m_flags; }

signals:
    // The appointments changed (a sync brought changes, or one was removed).
    void appointmentsChanged();
    // One sync ended; its status is in copyOf(name).
    void syncFinished(const QString& name, bool ok);
    // No sync is running any more.
    void idle();
    // A file could not be written, or could again: statusOf changed.
    void statusChanged();

private:
    SyncMachinery* machinery();
    void failSync(const QString& name, const QString& problem);
    void startSync(const Subscription& s, const QString& password, Done done);
    void applyChange(QString name, Subscription changed, const std::optional<QString>& password,
                     Done done);
    void movePassword(const QString& from, const QString& to, Done done);
    void syncDue();
    bool saveList();
    void writeCopy(const QString& name);
    void setProblem(QString& slot, const QString& problem);

    const Clock& m_clock;
    SubscriptionList m_list;
    SubscriptionCache m_cache;
    QMap<QString, SubscriptionCopy> m_copies;
    SubscriptionFlags m_flags;
    // Files that could not be written: the list, each copy (the flags' own
    // is m_flags.problem()).
    QString m_listProblem;
    QHash<QString, QString> m_copyProblems;
    QHash<QString, QUrl> m_adding;                  // by name: tested, not yet in the list
    QHash<QString, Subscription::Kind> m_foundKind; // of the sync that tests a new address
    QHash<QString, QPointer<SyncJob>> m_running;
    QHash<QString, QString> m_untrusted; // by name: a refused certificate's fingerprint
    SyncMachinerySource m_machinerySource;
    SyncMachinery* m_machinery = nullptr;
    QTimer* m_refresh = nullptr;
};

} // namespace tanzo
