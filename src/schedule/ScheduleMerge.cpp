#include "ScheduleMerge.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <tuple>

namespace tanzo {
namespace {
constexpr int kMinutesPerDay = 24 * 60;

using Identity = std::tuple<float, float, int16_t, QString, QString>;

Identity identityOf(const ScheduleEntry& e) {
    return {e.dateSerial, e.startTime, e.status, e.place, e.comment};
}

std::optional<qint64> minuteKey(float entryDate, float startTime) {
    if (!std::isfinite(entryDate) || entryDate != std::floor(entryDate))
        return std::nullopt;
    const HourMinute hm = hourMinuteFromFraction(startTime);
    return static_cast<qint64>(entryDate) * kMinutesPerDay + hm.hour * 60 + hm.minute;
}

bool sameStart(const ScheduleEntry& a, const ScheduleEntry& b) {
    return a.dateSerial == b.dateSerial && a.startTime == b.startTime;
}

void takeFlags(ScheduleEntry& to, const ScheduleEntry* from) {
    to.arrived = from && from->arrived;
    to.preNoticed = from && from->preNoticed;
}

// The entries of `current`, sorted out against `base`: for each
// appointment, the occurrences the base also had (which lines of the edit
// may claim), and those beyond them, which others added.
class CurrentEntries {
public:
    CurrentEntries(const DayList& base, const DayList& current) : m_current(current) {
        std::map<Identity, int> inBase;
        for (const ScheduleEntry& e : base) {
            if (e.dateSerial != 0)
                ++inBase[identityOf(e)];
        }
        for (int i = 0; i < static_cast<int>(current.size()); ++i) {
            const ScheduleEntry& e = current[static_cast<size_t>(i)];
            if (e.dateSerial == 0)
                continue;
            int& left = inBase[identityOf(e)];
            if (left > 0) {
                --left;
                m_known[identityOf(e)].push_back(i);
            } else {
                m_added.push_back(i);
            }
        }
        // What is left in the base's count is gone from the list: others
        // deleted or changed it.
        for (const auto& [identity, count] : inBase) {
            if (count > 0)
                m_goneElsewhere[identity] = count;
        }
    }

    // Whether others deleted or changed this appointment of the base; the
    // first line asking for it answers for it.
    bool takeGoneElsewhere(const ScheduleEntry& origin) {
        const auto it = m_goneElsewhere.find(identityOf(origin));
        if (it == m_goneElsewhere.end() || it->second == 0)
            return false;
        --it->second;
        return true;
    }

    // The entry of `current` a line coming from `origin` stands for.
    const ScheduleEntry* claim(const ScheduleEntry& origin) {
        const auto it = m_known.find(identityOf(origin));
        if (it == m_known.end() || it->second.empty())
            return nullptr;
        const int index = it->second.front();
        it->second.pop_front();
        return &m_current[static_cast<size_t>(index)];
    }

    // Drops the others' version of an appointment the edit changed too.
    void dropOthersVersionOf(const ScheduleEntry& origin) {
        for (const auto& matches :
             {+[](const ScheduleEntry&a, const ScheduleEntry&b) { return sameStart(a, b); },
              +[](const ScheduleEntry&a, const ScheduleEntry&b) {
                  return a.place == b.place && a.comment == b.comment;
              }}) {
            for (int& index : m_added) {
                if (index >= 0 && matches(m_current[static_cast<size_t>(index)], origin)) {
                    index = -1;
                    return;
                }
            }
        }
    }

    std::vector<int> addedByOthers() const {
        std::vector<int> added;
        for (int index : m_added) {
            if (index >= 0)
                added.push_back(index);
        }
        return added;
    }

private:
    const DayList& m_current;
    std::map<Identity, std::deque<int>> m_known;
    std::vector<int> m_added; // -1 once dropped
    std::map<Identity, int> m_goneElsewhere;
};
} // namespace

NoticeFlagLookup::NoticeFlagLookup(const DayList& list) : m_list(list) {
    m_first.reserve(static_cast<qsizetype>(list.size()));
    for (int i = 0; i < static_cast<int>(list.size()); ++i) {
        const auto key = minuteKey(list[i].dateSerial, list[i].startTime);
        if (key && !m_first.contains(*key))
            m_first.insert(*key, i);
    }
}

const ScheduleEntry* NoticeFlagLookup::find(float entryDate, float startTime) const {
    const auto key = minuteKey(entryDate, startTime);
    if (!key)
        return nullptr;
    const auto it = m_first.constFind(*key);
    return it == m_first.constEnd() ? nullptr : &m_list[static_cast<size_t>(*it)];
}

bool sameAppointment(const ScheduleEntry& a, const ScheduleEntry& b) {
    return identityOf(a) == identityOf(b);
}

MergedEdit mergeEdit(const DayList& base, const std::vector<EditedLine>& edited,
                     const DayList& current) {
    CurrentEntries entries(base, current);
    const NoticeFlagLookup flags(current);
    MergedEdit merged;
    merged.lines.reserve(edited.size());
    for (int i = 0; i < static_cast<int>(edited.size()); ++i) {
        const EditedLine& line = edited[static_cast<size_t>(i)];
        EditedLine out{line.entry, std::nullopt};
        const bool changed = line.origin && !sameAppointment(line.entry, *line.origin);
        if (line.origin && entries.takeGoneElsewhere(*line.origin)) {
            // Left as it was here: the others' deletion or change stands.
            if (!changed)
                continue;
            merged.conflicts.push_back(line.entry);
            entries.dropOthersVersionOf(*line.origin);
        } else if (line.origin) {
            if (const ScheduleEntry* known = entries.claim(*line.origin))
                out.origin = *known;
        }
        if (changed || !out.origin)
            takeFlags(out.entry, flags.find(out.entry.dateSerial, out.entry.startTime));
        else
            takeFlags(out.entry, &*out.origin);
        merged.lines.push_back(std::move(out));
        merged.source.push_back(i);
    }
    for (int index : entries.addedByOthers()) {
        const ScheduleEntry& e = current[static_cast<size_t>(index)];
        merged.lines.push_back({e, e});
        merged.source.push_back(-1);
    }
    return merged;
}

std::vector<EditedLine> uneditedLines(const DayList& list) {
    std::vector<EditedLine> lines;
    lines.reserve(list.size());
    for (const ScheduleEntry& e : list) {
        if (e.dateSerial != 0)
            lines.push_back({e, e});
    }
    return lines;
}

DayList entriesOf(const std::vector<EditedLine>& lines) {
    DayList list;
    list.reserve(lines.size());
    for (const EditedLine& line : lines)
        list.push_back(line.entry);
    return list;
}

namespace {

using EntryKey = std::tuple<float, float, int16_t, QString, QString>;

EntryKey keyOf(const ScheduleEntry& e) {
    return {e.dateSerial, e.startTime, e.status, e.place, e.comment};
}

} // namespace

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

bool sameEntries(const DayList& a, const DayList& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const ScheduleEntry& x, const ScheduleEntry& y) {
            return sameAppointment(x, y) && x.arrived == y.arrived && x.preNoticed == y.preNoticed;
        });
}

} // namespace tanzo
