#pragma once

#include "SyncMachinery.h"

#include <QHash>
#include <QObject>
#include <QString>

namespace tanzo {

// Passwords of subscriptions in the desktop's secret store (Secret Service
// through QtKeychain), never in a file of ours. Where no secret store
// answers, a password is kept in memory until the program ends, and the
// caller is told so.
class SecretStorePasswords : public QObject, public PasswordStore {
    Q_OBJECT
public:
    explicit SecretStorePasswords(QObject* parent = nullptr);

    void read(const QString& account, ReadDone done) override;
    void write(const QString& account, const QString& password, WriteDone done) override;
    void remove(const QString& account, RemoveDone done = {}) override;

    // For tests and for a session without a secret store.

    static QString memoryOnlyNote();

private:
    QHash<QString, QString> m_inMemory;
};

} // namespace tanzo
