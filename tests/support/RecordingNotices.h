#pragma once

#include "schedule/ReadOnlyNotices.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <utility>
#include <vector>

namespace tanzo::test {

// Owns read-only notice flags in memory, as the subscriptions do, and
// records every mark the store tells it, in order.
class RecordingNotices : public ReadOnlyNotices {
public:
    std::vector<QString> noticed;                     // notice keys
    std::vector<std::pair<QString, qint64>> reminded; // notice key, reminder moment

    Flags noticeOf(const QString& noticeKey) const override { return m_flags.value(noticeKey); }
    bool reminderGiven(const QString& noticeKey, qint64 at) const override {
        return m_reminders.contains({noticeKey, at});
    }
    void markNotice(const QString& noticeKey, bool arrived, bool preNoticed) override {
        noticed.push_back(noticeKey);
        Flags& flags = m_flags[noticeKey];
        flags.arrived = flags.arrived || arrived;
        flags.preNoticed = flags.preNoticed || preNoticed;
    }
    void markReminder(const QString& noticeKey, qint64 at) override {
        reminded.emplace_back(noticeKey, at);
        m_reminders.insert({noticeKey, at});
    }

private:
    QHash<QString, Flags> m_flags;
    QSet<std::pair<QString, qint64>> m_reminders;
};

} // namespace tanzo::test
