#pragma once

#include "SubscriptionCopy.h"
#include "schedule/ReadOnlyNotices.h"

#include <QMap>
#include <QObject>
#include <QString>

namespace tanzo {

// The notice flags of the subscribed appointments, by notice key, and
// their file in the cache folder: their one owner. The store reads and
// marks them here; the marks of one tick are written once, after it. A
// file that cannot be written stays due, and problem() says so.
class SubscriptionFlags : public QObject, public ReadOnlyNotices {
    Q_OBJECT
public:
    explicit SubscriptionFlags(const SubscriptionCache& cache, QObject* parent = nullptr);

    void load();

    Flags noticeOf(const QString& noticeKey) const override;
    bool reminderGiven(const QString& noticeKey, qint64 at) const override;
    void markNotice(const QString& noticeKey, bool arrived, bool preNoticed) override;
    void markReminder(const QString& noticeKey, qint64 at) override;

    // Drops the flags of appointments none of the copies holds any more.
    void keepOnlyThoseOf(const QMap<QString, SubscriptionCopy>& copies);
    // Writes what is not yet written.
    void write();
    QString problem() const { return m_problem; }

signals:
    void problemChanged();

private:
    void writeAfterTheTick();

    const SubscriptionCache& m_cache;
    QMap<QString, int> m_flags;
    bool m_dirty = false;     // not yet written
    bool m_scheduled = false; // a write waits for the end of the tick
    QString m_problem;
};

} // namespace tanzo
