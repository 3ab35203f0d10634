#include "ReadOnlyNoticeRouter.h"

#include <algorithm>

namespace tanzo {

void ReadOnlyNoticeRouter::addOwner(const QString& prefix, ReadOnlyNotices* owner) {
    m_owners.emplace_back(prefix, owner);
}

void ReadOnlyNoticeRouter::removeOwner(const ReadOnlyNotices* owner) {
    std::erase_if(m_owners, [owner](const auto& o) { return o.second == owner; });
}

ReadOnlyNotices* ReadOnlyNoticeRouter::ownerOf(const QString& noticeKey) const {
    const auto found = std::find_if(m_owners.begin(), m_owners.end(),
                                    [&](const auto& o) { return noticeKey.startsWith(o.first); });
    return found != m_owners.end() ? found->second : m_default;
}

ReadOnlyNotices::Flags ReadOnlyNoticeRouter::noticeOf(const QString& noticeKey) const {
    const ReadOnlyNotices* owner = ownerOf(noticeKey);
    return owner ? owner->noticeOf(noticeKey) : Flags{};
}

bool ReadOnlyNoticeRouter::reminderGiven(const QString& noticeKey, qint64 at) const {
    const ReadOnlyNotices* owner = ownerOf(noticeKey);
    return owner && owner->reminderGiven(noticeKey, at);
}

void ReadOnlyNoticeRouter::markNotice(const QString& noticeKey, bool arrived, bool preNoticed) {
    if (ReadOnlyNotices* owner = ownerOf(noticeKey))
        owner->markNotice(noticeKey, arrived, preNoticed);
}

void ReadOnlyNoticeRouter::markReminder(const QString& noticeKey, qint64 at) {
    if (ReadOnlyNotices* owner = ownerOf(noticeKey))
        owner->markReminder(noticeKey, at);
}

} // namespace tanzo
