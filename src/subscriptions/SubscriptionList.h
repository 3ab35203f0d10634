#pragma once

#include "Subscription.h"
#include "SubscriptionCopy.h"

#include <QHash>
#include <QString>
#include <QUrl>

#include <vector>

namespace tanzo {

// The user's subscriptions, kept in their own file in the settings folder
// (subscriptions.json beside settings.reg); no password is ever written.
class SubscriptionList {
public:
    explicit SubscriptionList(QString filePath, FileWriter writer = writeFileWhole);

    QString filePath() const { return m_filePath; }
    const std::vector<Subscription>& items() const { return m_items; }
    const Subscription* find(const QString& name) const;
    // Why the subscription cannot be added beside these and those being
    // added (name -> address): its name or its address is taken, or the
    // list is full. Empty when it can.
    QString refusalOf(const Subscription& subscription, const QHash<QString, QUrl>& adding) const;

    // Reads the file; a missing file is an empty list. False with *error
    // when the file is damaged: the list stays empty and the file is left
    // alone until the next save moves it aside.
    bool load(QString* error = nullptr);
    bool save();

    // Adds a subscription or replaces the one of the same name.
    void put(const Subscription& s);
    bool remove(const QString& name);
    // Back to an earlier state, after a save that failed.
    void setItems(std::vector<Subscription> items) { m_items = std::move(items); }

private:
    QString m_filePath;
    FileWriter m_writer;
    std::vector<Subscription> m_items;
    bool m_damaged = false;
};

} // namespace tanzo
