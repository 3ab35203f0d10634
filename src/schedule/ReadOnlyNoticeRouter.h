#pragma once

#include "ReadOnlyNotices.h"

#include <QString>

#include <utility>
#include <vector>

namespace tanzo {

// Hands each read-only appointment's flags to the owner of its source, known
// by the start of its notice key (the own calendar's series keep theirs);
// every other key goes to the subscriptions' flags. The store holds this
// one owner and never learns how many there are.
class ReadOnlyNoticeRouter final : public ReadOnlyNotices {
public:
    void setDefaultOwner(ReadOnlyNotices* owner) { m_default = owner; }
    // Keys starting with `prefix` are `owner`'s until it is removed.
    void addOwner(const QString& prefix, ReadOnlyNotices* owner);
    void removeOwner(const ReadOnlyNotices* owner);

    Flags noticeOf(const QString& noticeKey) const override;
    bool reminderGiven(const QString& noticeKey, qint64 at) const override;
    void markNotice(const QString& noticeKey, bool arrived, bool preNoticed) override;
    void markReminder(const QString& noticeKey, qint64 at) override;

private:
    ReadOnlyNotices* ownerOf(const QString& noticeKey) const;

    ReadOnlyNotices* m_default = nullptr;
    std::vector<std::pair<QString, ReadOnlyNotices*>> m_owners;
};

} // namespace tanzo
