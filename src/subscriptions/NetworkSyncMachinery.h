#pragma once

#include "SecretStorePasswords.h"
#include "SyncMachinery.h"

namespace tanzo {

// Syncs over the network (SubscriptionSync), passwords in the secret store.
class NetworkSyncMachinery : public SyncMachinery {
public:
    NetworkSyncMachinery() = default;
    // Passwords kept elsewhere than in the desktop's secret store.
    explicit NetworkSyncMachinery(PasswordStore& passwords) : m_elsewhere(&passwords) {}

    SyncJob* makeSync(const Subscription& subscription, const QString& password,
                      const SubscriptionCopy& previous, const QDate& today,
                      QObject* parent) override;
    PasswordStore& passwords() override { return m_elsewhere ? *m_elsewhere : m_passwords; }

private:
    SecretStorePasswords m_passwords;
    PasswordStore* m_elsewhere = nullptr;
};

} // namespace tanzo
