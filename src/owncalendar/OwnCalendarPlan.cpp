#include "OwnCalendarPlan.h"

#include <QHash>

#include <algorithm>
#include <map>
#include <tuple>

namespace tanzo {
namespace {

// An appointment's identity by the minute: a start read back from the data
// file's text may differ from the one worked out here in the last bit.
using Identity = std::tuple<qint64, int, int16_t, QString, QString>;

int minuteOf(const ScheduleEntry& e) {
    const HourMinute hm = e.startHourMinute();
    return hm.hour * 60 + hm.minute;
}

Identity identityOf(const ScheduleEntry& e) {
    return {static_cast<qint64>(e.dateSerial), minuteOf(e), e.status, e.place, e.comment};
}

bool same(const ScheduleEntry& a, const ScheduleEntry& b) {
    return identityOf(a) == identityOf(b);
}

void drop(std::vector<int>& indices, int index) {
    indices.erase(std::remove(indices.begin(), indices.end(), index), indices.end());
}

bool agedOut(const ScheduleEntry& e, const QDate& oldestKept) {
    return e.dateSerial < daySerial(oldestKept);
}

} // namespace

QDate oldestKeptDay(const QDate& today) {
    return today.addDays(-6);
}

LocalMatch matchLocal(const OwnCalendarState& state, const DayList& local) {
    std::map<Identity, std::vector<QString>> synced;
    for (auto it = state.events.cbegin(); it != state.events.cend(); ++it) {
        if (it->entry)
            synced[identityOf(*it->entry)].push_back(it.key());
    }
    for (auto& [identity, hrefs] : synced)
        std::reverse(hrefs.begin(), hrefs.end()); // taken from the back, in href order
    LocalMatch match;
    match.hrefOf.resize(local.size());
    for (int i = 0; i < static_cast<int>(local.size()); ++i) {
        const ScheduleEntry& e = local[static_cast<size_t>(i)];
        if (e.dateSerial == 0)
            continue; // the placeholder of an empty list
        const auto found = synced.find(identityOf(e));
        if (found == synced.end() || found->second.empty()) {
            match.newEntries.push_back(i);
            continue;
        }
        match.hrefOf[static_cast<size_t>(i)] = found->second.back();
        found->second.pop_back();
    }
    for (const auto& [identity, hrefs] : synced)
        match.goneHrefs.insert(match.goneHrefs.end(), hrefs.rbegin(), hrefs.rend());
    std::sort(match.goneHrefs.begin(), match.goneHrefs.end());
    return match;
}

int pairedChange(const ScheduleEntry& synced, const DayList& local,
                 const std::vector<int>& candidates) {
    for (const int i : candidates) {
        const ScheduleEntry& e = local[static_cast<size_t>(i)];
        if (static_cast<qint64>(e.dateSerial) == static_cast<qint64>(synced.dateSerial) &&
            minuteOf(e) == minuteOf(synced))
            return i;
    }
    for (const int i : candidates) {
        const ScheduleEntry& e = local[static_cast<size_t>(i)];
        if (e.place == synced.place && e.comment == synced.comment)
            return i;
    }
    return -1;
}

std::vector<PushStep> planPush(const OwnCalendarState& state, const DayList& local,
                               const QString& collection, const std::function<QString()>& newUid,
                               const QDate& oldestKept) {
    const LocalMatch match = matchLocal(state, local);
    std::vector<int> added = match.newEntries;
    std::vector<PushStep> steps;
    for (const QString& href : match.goneHrefs) {
        const SyncedEvent& synced = state.events[href];
        if (agedOut(*synced.entry, oldestKept))
            continue;
        const int changed = pairedChange(*synced.entry, local, added);
        if (changed >= 0) {
            steps.push_back({PushStep::Kind::Update, href, synced.uid, synced.etag,
                             local[static_cast<size_t>(changed)]});
            drop(added, changed);
        } else {
            steps.push_back({PushStep::Kind::Remove, href, synced.uid, synced.etag, {}});
        }
    }
    for (const int i : added) {
        const QString uid = newUid();
        steps.push_back({PushStep::Kind::Create, collection + uid + QStringLiteral(".ics"), uid,
                         QString(), local[static_cast<size_t>(i)]});
    }
    return steps;
}

PullPlan planPull(const OwnCalendarState& state, const QMap<QString, QString>& listing,
                  const std::vector<FetchedEvent>& fetched, const DayList& local,
                  const QDate& oldestKept) {
    const LocalMatch match = matchLocal(state, local);
    QHash<QString, int> localOf;
    for (int i = 0; i < static_cast<int>(match.hrefOf.size()); ++i) {
        if (!match.hrefOf[static_cast<size_t>(i)].isEmpty())
            localOf.insert(match.hrefOf[static_cast<size_t>(i)], i);
    }
    // Appointments no synced event holds: the board's changes and
    // additions, which server events may pair with.
    std::vector<int> unsynced = match.newEntries;

    PullPlan plan;
    plan.next = state;
    enum class Act { Keep, Replace, Remove };
    std::vector<Act> act(local.size(), Act::Keep);
    std::vector<ScheduleEntry> replacement(local.size());
    std::vector<ScheduleEntry> added;

    // Deleted on the server.
    for (auto it = state.events.cbegin(); it != state.events.cend(); ++it) {
        if (listing.contains(it.key()))
            continue;
        plan.next.events.remove(it.key());
        if (!it->entry || agedOut(*it->entry, oldestKept))
            continue;
        if (const auto i = localOf.constFind(it.key()); i != localOf.cend()) {
            act[static_cast<size_t>(*i)] = Act::Remove;
        } else if (const int p = pairedChange(*it->entry, local, unsynced); p >= 0) {
            // Changed here: kept, and sent as a new event.
            plan.conflicts.push_back({local[static_cast<size_t>(p)], std::nullopt});
            drop(unsynced, p);
        }
    }
    // New or changed on the server.
    for (const FetchedEvent& f : fetched) {
        const bool appointment = f.reading.kind == OwnEventReading::Kind::Appointment;
        SyncedEvent event{f.reading.uid, f.etag, std::nullopt};
        if (appointment)
            event.entry = f.reading.entry;
        else if (f.reading.text.size() <= kMaxShownSeriesBytes)
            event.seriesText = f.reading.text;
        const auto old = state.events.constFind(f.href);
        // Past the file's days: the state keeps it, the file does not.
        const bool goneByNow = appointment && agedOut(f.reading.entry, oldestKept);
        if (old != state.events.cend() && old->entry && agedOut(*old->entry, oldestKept) &&
            !localOf.contains(f.href)) {
            if (appointment && !goneByNow)
                added.push_back(f.reading.entry); // moved back into the days kept
        } else if (goneByNow && (old == state.events.cend() || !old->entry)) {
            // Nothing here to change.
        } else if (old != state.events.cend() && old->entry) {
            if (const auto i = localOf.constFind(f.href); i != localOf.cend()) {
                const size_t at = static_cast<size_t>(*i);
                if (!appointment) {
                    act[at] = Act::Remove;
                } else if (!same(local[at], f.reading.entry)) {
                    act[at] = Act::Replace;
                    replacement[at] = f.reading.entry;
                }
            } else if (const int p = pairedChange(*old->entry, local, unsynced); p >= 0) {
                // Both sides changed it: the server's version wins.
                const size_t at = static_cast<size_t>(p);
                plan.conflicts.push_back(
                    {local[at], appointment ? std::optional(f.reading.entry) : std::nullopt});
                act[at] = appointment ? Act::Replace : Act::Remove;
                replacement[at] = f.reading.entry;
                drop(unsynced, p);
            } else if (appointment) {
                // Deleted here, changed there: the server's version wins.
                plan.conflicts.push_back({*old->entry, f.reading.entry});
                added.push_back(f.reading.entry);
            }
        } else if (appointment) {
            const auto twin = std::find_if(unsynced.begin(), unsynced.end(), [&](int i) {
                return same(local[static_cast<size_t>(i)], f.reading.entry);
            });
            if (twin != unsynced.end())
                unsynced.erase(twin); // already here: this event is it
            else
                added.push_back(f.reading.entry);
        }
        plan.next.events.insert(f.href, event);
    }

    for (size_t i = 0; i < local.size(); ++i) {
        const ScheduleEntry& e = local[i];
        if (e.dateSerial == 0 || act[i] == Act::Remove)
            continue;
        plan.lines.push_back({act[i] == Act::Replace ? replacement[i] : e, e});
    }
    for (const ScheduleEntry& e : added)
        plan.lines.push_back({e, std::nullopt});
    plan.changesList =
        !added.empty() || std::any_of(act.begin(), act.end(), [](Act a) { return a != Act::Keep; });
    return plan;
}

namespace {

QString describe(const ScheduleEntry& e) {
    const HourMinute hm = e.startHourMinute();
    return QStringLiteral("%1 %2:%3 %4 %5")
        .arg(e.date().toString(QStringLiteral("yyyy-MM-dd")))
        .arg(hm.hour, 2, 10, QLatin1Char('0'))
        .arg(hm.minute, 2, 10, QLatin1Char('0'))
        .arg(trimSpaces(e.place), e.comment)
        .trimmed();
}

} // namespace

QString conflictMessage(const PullPlan::Conflict& conflict) {
    if (conflict.server)
        return QStringLiteral("両方で変更された予定は、サーバーの内容にしました: %1 → %2")
            .arg(describe(conflict.local), describe(*conflict.server));
    return QStringLiteral("サーバーで削除された予定は、こちらで変更されていたため残しました: %1")
        .arg(describe(conflict.local));
}

} // namespace tanzo
