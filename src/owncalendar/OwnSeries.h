#pragma once

#include "schedule/ReadOnlyNotices.h"
#include "schedule/ScheduleStore.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QObject>
#include <QSet>

#include <vector>

namespace tanzo {

class Clock;

// The own calendar's series as the board shows them: their occurrences in
// the seven days from today, read-only like a subscription's appointments,
// never written to TANZO.DAT. Worked out on the libical worker. It owns the
// notice flags of its occurrences (keys starting with kKeyPrefix), kept
// until the program ends.
class OwnSeries : public QObject, public ReadOnlyNotices {
    Q_OBJECT
public:
    explicit OwnSeries(const Clock& clock, QObject* parent = nullptr);

    // Shows the occurrences of these calendar objects (at most kMaxShown);
    // `changed` follows once they are worked out.
    void show(std::vector<QByteArray> texts);
    // Shown for a day gone by: show() again.
    bool isStale() const;
    const std::vector<ReadOnlyEntry>& entries() const { return m_entries; }
    Flags noticeOf(const QString& noticeKey) const override;
    bool reminderGiven(const QString& noticeKey, qint64 at) const override;
    void markNotice(const QString& noticeKey, bool arrived, bool preNoticed) override;
    void markReminder(const QString& noticeKey, qint64 at) override;

    static constexpr int kMaxShown = 500;
    static inline const QString kSource = QStringLiteral("自分のカレンダー");
    static inline const QString kKeyPrefix = QStringLiteral("own|");

signals:
    void changed();

private:
    const Clock& m_clock;
    std::vector<ReadOnlyEntry> m_entries;
    QHash<QString, int> m_noticed; // notice key -> 1 arrived | 2 pre-noticed
    QSet<QString> m_reminded;      // reminder keys
    QDate m_shownFor;
    quint64 m_generation = 0; // a later show() overtakes an earlier one
};

} // namespace tanzo
