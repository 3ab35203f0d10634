#pragma once

#include <QString>

namespace tanzo {

// The one owner of the notice flags of read-only (subscribed) appointments,
// by their notice keys: the store reads them from here whenever it takes a
// set and after it marks one, and tells each mark here, so that nothing else
// holds or hands them back. The subscriptions keep them beside their copies.
class ReadOnlyNotices {
public:
    struct Flags {
        bool arrived = false;
        bool preNoticed = false;
    };

    virtual Flags noticeOf(const QString& noticeKey) const = 0;
    virtual bool reminderGiven(const QString& noticeKey, qint64 at) const = 0;
    virtual void markNotice(const QString& noticeKey, bool arrived, bool preNoticed) = 0;
    virtual void markReminder(const QString& noticeKey, qint64 at) = 0;

protected:
    ~ReadOnlyNotices() = default;
};

} // namespace tanzo
