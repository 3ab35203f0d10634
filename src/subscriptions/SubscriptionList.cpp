#include "SubscriptionList.h"

#include "platform/SafeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace tanzo {
namespace {
constexpr qint64 kMaxListBytes = 1024 * 1024;
}

SubscriptionList::SubscriptionList(QString filePath, FileWriter writer)
    : m_filePath(std::move(filePath)), m_writer(std::move(writer)) {}

const Subscription* SubscriptionList::find(const QString& name) const {
    for (const Subscription& s : m_items) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

bool SubscriptionList::load(QString* error) {
    m_items.clear();
    m_damaged = false;
    QFile f(m_filePath);
    if (!f.exists())
        return true;
    QJsonParseError parseError{};
    QJsonDocument doc;
    if (f.open(QIODevice::ReadOnly) && f.size() <= kMaxListBytes)
        doc = QJsonDocument::fromJson(f.read(kMaxListBytes), &parseError);
    if (!doc.isObject()) {
        m_damaged = true;
        if (error)
            *error = QStringLiteral("カレンダー購読の設定ファイルが読めません: %1").arg(m_filePath);
        return false;
    }
    for (const QJsonValue v : doc.object().value(QStringLiteral("subscriptions")).toArray()) {
        if (auto s = Subscription::fromJson(v.toObject());
            s && !find(s->name) && m_items.size() < size_t(kMaxSubscriptions))
            m_items.push_back(*s);
    }
    return true;
}

bool SubscriptionList::save() {
    makePrivateDirectory(QFileInfo(m_filePath).absolutePath());
    if (m_damaged) {
        // Keep what could not be read for the user to look at.
        const QString aside = m_filePath + QStringLiteral(".bad");
        QFile::remove(aside);
        QFile::rename(m_filePath, aside);
        m_damaged = false;
    }
    QJsonArray items;
    for (const Subscription& s : m_items)
        items.append(s.toJson());
    return m_writer(m_filePath,
                    QJsonDocument(QJsonObject{{QStringLiteral("subscriptions"), items}}).toJson());
}

void SubscriptionList::put(const Subscription& s) {
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [&](const Subscription& o) { return o.name == s.name; });
    if (it != m_items.end())
        *it = s;
    else
        m_items.push_back(s);
}

bool SubscriptionList::remove(const QString& name) {
    const auto before = m_items.size();
    std::erase_if(m_items, [&](const Subscription& s) { return s.name == name; });
    return m_items.size() != before;
}

QString SubscriptionList::refusalOf(const Subscription& subscription,
                                    const QHash<QString, QUrl>& adding) const {
    if (find(subscription.name) || adding.contains(subscription.name))
        return QStringLiteral("同じ名前の購読があります: %1").arg(subscription.name);
    const auto sameUrl = [&](const QString& name, const QUrl& url) {
        return sameAddress(url, subscription.url)
                   ? QStringLiteral("同じアドレスの購読があります: %1（%2）")
                         .arg(name, maskedAddress(url))
                   : QString();
    };
    for (const Subscription& s : m_items) {
        if (QString refusal = sameUrl(s.name, s.url); !refusal.isEmpty())
            return refusal;
    }
    for (auto it = adding.cbegin(); it != adding.cend(); ++it) {
        if (QString refusal = sameUrl(it.key(), it.value()); !refusal.isEmpty())
            return refusal;
    }
    if (m_items.size() + size_t(adding.size()) >= size_t(kMaxSubscriptions))
        return QStringLiteral("購読は%1件までです。").arg(kMaxSubscriptions);
    return {};
}

} // namespace tanzo
