#include "NetworkSyncMachinery.h"

#include "SubscriptionSync.h"

#include <QNetworkAccessManager>

namespace tanzo {

SyncJob* NetworkSyncMachinery::makeSync(const Subscription& subscription, const QString& password,
                                        const SubscriptionCopy& previous, const QDate& today,
                                        QObject* parent) {
    // A network of its own: the toolkit keeps the credentials a server
    // accepted and offers them to that server again unasked, which would
    // hand one subscription's password to another's requests.
    auto* network = new QNetworkAccessManager(parent);
    network->setAutoDeleteReplies(false);
    auto* run = new SubscriptionSync(subscription, password, previous, today, *network, parent);
    network->setParent(run);
    return run;
}

} // namespace tanzo
