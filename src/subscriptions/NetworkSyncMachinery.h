#pragma once

#include "SecretStorePasswords.h"
#include "SyncMachinery.h"

namespace tanzo {

// Syncs over the network (SubscriptionSync), passwords in the secret store.
class NetworkSyncMachinery : public SyncMachinery {
public:
    SyncJob* makeSync(const Subscription& subscription, const QString& password,
                      const SubscriptionCopy& previous, const QDate& today,
                      QObject* parent) override;
    PasswordStore& passwords() override { return m_passwords; }
    SecretStorePasswords& secretStore() { return m_passwords; }

private:
    SecretStorePasswords m_passwords;
};

} // namespace tanzo
