#pragma once

#include "subscriptions/SecretStorePasswords.h"
#include "subscriptions/SyncMachinery.h"

#include <QHash>

namespace tanzo {

// Passwords kept in memory, as the program keeps them on a desktop without
// a secret store (and says so); every call answers at once.
class MemoryPasswords : public PasswordStore {
public:
    void read(const QString& account, ReadDone done) override {
        done(m_passwords.value(account), QString());
    }
    void write(const QString& account, const QString& password, WriteDone done) override {
        m_passwords.insert(account, password);
        done(false, SecretStorePasswords::memoryOnlyNote());
    }
    void remove(const QString& account, RemoveDone done = {}) override {
        m_passwords.remove(account);
        if (done)
            done(QString());
    }

private:
    QHash<QString, QString> m_passwords;
};

} // namespace tanzo
