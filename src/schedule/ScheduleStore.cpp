#include "ScheduleStore.h"

#include <map>
#include <tuple>

namespace tanzo {
namespace {

using EntryKey = std::tuple<float, float, int16_t, QString, QString>;

EntryKey keyOf(const ScheduleEntry& e) {
    return {e.dateSerial, e.startTime, e.status, e.place, e.comment};
}

// Carries the flags of `previous` over to the same entries of `fresh`. An
// entry appearing twice takes the flags of its copies in order.
void carryNoticeFlags(const DayList& previous, DayList& fresh) {
    std::multimap<EntryKey, const ScheduleEntry*> flagged;
    for (const ScheduleEntry& e : previous) {
        if (e.arrived || e.preNoticed)
            flagged.emplace(keyOf(e), &e);
    }
    if (flagged.empty())
        return;
    for (ScheduleEntry& e : fresh) {
        const auto it = flagged.find(keyOf(e));
        if (it == flagged.end())
            continue;
        e.arrived = e.arrived || it->second->arrived;
        e.preNoticed = e.preNoticed || it->second->preNoticed;
        flagged.erase(it);
    }
}

} // namespace

ScheduleStore::ScheduleStore(QString dataFilePath, QObject* parent)
    : QObject(parent), m_file(std::move(dataFilePath)) {}

bool ScheduleStore::load(const QDate& today) {
    DayList fresh;
    const bool ok = m_file.load(fresh, today);
    carryNoticeFlags(m_entries, fresh);
    m_entries = std::move(fresh);
    m_loaded = true;
    m_reloadPending = false;
    emit reloaded();
    return ok;
}

void ScheduleStore::loadIfStale(const QDate& today) {
    if (!m_loaded || m_reloadPending)
        load(today);
}

void ScheduleStore::setEntries(DayList entries) {
    m_entries = entries.empty() ? placeholderDayList() : std::move(entries);
    m_loaded = true;
    m_reloadPending = false;
    emit reloaded();
}

void ScheduleStore::reset() {
    m_entries = placeholderDayList();
    m_loaded = false;
    m_reloadPending = false;
}

bool ScheduleStore::save() {
    return m_file.save(m_entries);
}

} // namespace tanzo
