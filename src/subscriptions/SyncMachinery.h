#pragma once

#include "Subscription.h"
#include "SubscriptionCopy.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <functional>

namespace tanzo {

struct SyncResult {
    bool ok = false;
    bool changed = false;  // the appointments differ from the previous copy
    QString status;        // empty when ok: what went wrong, for the user
    SubscriptionCopy copy; // the new copy, or the previous one when not ok
    // What the address turned out to be (a link taken for CalDAV may be a
    // published calendar after all).
    Subscription::Kind kind = Subscription::Kind::Feed;
    // The fingerprint of a certificate that was refused, for the user to
    // compare and trust.
    QString untrustedCertificate;
};

// One sync of one subscription under way; it deletes itself after
// `finished`.
class SyncJob : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void start() = 0;
    // Stops at once: `finished` comes with the previous copy.
    virtual void cancel() = 0;

signals:
    void finished(const tanzo::SyncResult& result);
};

// Passwords of subscriptions, kept outside our files. Every call answers
// later, through its callback.
class PasswordStore {
public:
    using ReadDone = std::function<void(const QString& password, const QString& problem)>;
    using WriteDone = std::function<void(bool kept, const QString& note)>;
    using RemoveDone = std::function<void(const QString& problem)>;

    virtual ~PasswordStore() = default;
    virtual void read(const QString& account, ReadDone done) = 0;
    virtual void write(const QString& account, const QString& password, WriteDone done) = 0;
    // Answers once the store has let go of it; problem is empty when it is gone.
    virtual void remove(const QString& account, RemoveDone done = {}) = 0;
    // The password of `from` goes to `to`; done(note) once the old entry
    // is gone (a command ends with its answer), with what went wrong if
    // anything did.
    void move(const QString& from, const QString& to, RemoveDone done);
};

// What syncing needs beyond the subscriptions' own files: the network and
// the calendar reader, and the secret store. It lives in the calendar
// module, so that the board starts without either; the subscriptions ask
// for it when they first sync.
class SyncMachinery {
public:
    virtual ~SyncMachinery() = default;
    // A sync not yet started, owned by `parent`.
    virtual SyncJob* makeSync(const Subscription& subscription, const QString& password,
                              const SubscriptionCopy& previous, const QDate& today,
                              QObject* parent) = 0;
    virtual PasswordStore& passwords() = 0;
};

// Null when the machinery cannot be had (the module is missing or broken).
using SyncMachinerySource = std::function<SyncMachinery*()>;

} // namespace tanzo
