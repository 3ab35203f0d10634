#include "ScheduleStore.h"

#include <QHash>

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
    QMultiHash<QString, const ScheduleEntry*> flagged;
    auto hashKey = [](const ScheduleEntry& e) {
        return QString::number(e.dateSerial) + QLatin1Char('|') + QString::number(e.startTime) +
               QLatin1Char('|') + e.place;
    };
    for (const ScheduleEntry& e : previous) {
        if (e.arrived || e.preNoticed)
            flagged.insert(hashKey(e), &e);
    }
    if (flagged.isEmpty())
        return;
    for (ScheduleEntry& e : fresh) {
        const QString key = hashKey(e);
        for (auto it = flagged.find(key); it != flagged.end() && it.key() == key; ++it) {
            if (keyOf(**it) == keyOf(e)) {
                e.arrived = e.arrived || (*it)->arrived;
                e.preNoticed = e.preNoticed || (*it)->preNoticed;
                flagged.erase(it);
                break;
            }
        }
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
