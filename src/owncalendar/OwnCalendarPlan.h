#pragma once

#include "OwnCalendarState.h"
#include "OwnEvent.h"
#include "schedule/ScheduleMerge.h"

#include <QMap>
#include <QString>

#include <functional>
#include <vector>

namespace tanzo {

// The appointments of TANZO.DAT against those last synced: which synced
// event each one still is, and what came, went or changed since.
struct LocalMatch {
    std::vector<QString> hrefOf;    // per entry of the list: its event's href, or empty
    std::vector<QString> goneHrefs; // synced events whose appointment left the list
    std::vector<int> newEntries;    // indices of appointments no event holds yet
};
LocalMatch matchLocal(const OwnCalendarState& state, const DayList& local);

// Of the appointments in `candidates` (indices into local), the one a
// synced appointment became: the same date and start, or failing that the
// same place and comment (as the merge pairs them); -1 for none.
int pairedChange(const ScheduleEntry& synced, const DayList& local,
                 const std::vector<int>& candidates);

// One write to the server.
struct PushStep {
    enum class Kind { Create, Update, Remove };
    Kind kind = Kind::Create;
    QString href;
    QString uid;
    QString etag; // If-Match for Update and Remove
    ScheduleEntry entry;
};

// The data file keeps appointments from six days ago on (see
// readDataFileLines): older ones leave it without the user's doing, and are
// neither deleted on the server nor brought back into the file.
QDate oldestKeptDay(const QDate& today);

// What the board's changes since the last sync ask of the server: a new
// appointment is created (under a UID `newUid` makes), one that changed
// keeps its event (a removed and an added appointment paired as
// pairedChange pairs them), one that went is deleted, unless it was older
// than `oldestKept`. `collection` is the collection's path, with its
// trailing slash.
std::vector<PushStep> planPush(const OwnCalendarState& state, const DayList& local,
                               const QString& collection, const std::function<QString()>& newUid,
                               const QDate& oldestKept);

// A calendar object fetched from the server.
struct FetchedEvent {
    QString href;
    QString etag;
    OwnEventReading reading;
};

// What a pull does to TANZO.DAT and to the synced state.
struct PullPlan {
    std::vector<EditedLine> lines; // the list after the pull, as an edit of `local`
    bool changesList = false;
    // Appointments changed on both sides since the last sync: the server's
    // version was taken (entry), the board's one dropped (or kept, when
    // the server deleted the event).
    struct Conflict {
        ScheduleEntry local;
        std::optional<ScheduleEntry> server;
    };
    std::vector<Conflict> conflicts;
    OwnCalendarState next;
};

// Lays the server's news over the list. `listing` holds every event of the
// collection with its ETag; `fetched` those that are new or whose ETag
// changed. An event changed only on the server replaces its appointment;
// changed on both sides, the server's version wins; deleted on the server,
// its appointment goes unless the board changed it (it is then sent again
// as a new event). A new event that the list already holds, unsynced, is
// taken as that appointment rather than added twice.
PullPlan planPull(const OwnCalendarState& state, const QMap<QString, QString>& listing,
                  const std::vector<FetchedEvent>& fetched, const DayList& local,
                  const QDate& oldestKept);

// What became of a conflict, for people.
QString conflictMessage(const PullPlan::Conflict& conflict);

} // namespace tanzo
