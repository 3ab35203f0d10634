#pragma once

#include "editor/ListLine.h"

#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace tanzo {

struct AppContext;
struct Command;
struct CommandOutput;
struct ReadOnlyEntry;
class CalendarSubscriptions;
class Prompts;
class ReadOnlyNoticeRouter;
class SyncMachinery;

// What the board reaches of the calendar module (libical, the network, the
// secret store), which it loads when one of these is first asked for: a
// command, a sync (one may fall due once the board is on the screen), an
// import, the subscriptions' window. Each service stands on its own: a new
// one is one more function here and, when it works on more of the board's
// state, one more member of Board.
class CalendarServices {
public:
    // The board's state the module works on; all of it outlives the services.
    struct Board {
        AppContext& state;
        CalendarSubscriptions* subscriptions; // null when none are read
        Prompts& prompts;
        // Owners of the read-only appointments' notice flags, which the
        // own calendar's series join.
        ReadOnlyNoticeRouter& notices;
        // The own calendar's series changed: the board shows them again
        // (ownSeries()) beside the subscriptions'.
        std::function<void()> ownSeriesChanged;
    };
    using ImportDone = std::function<void(const std::vector<ListFields>& lines)>;

    virtual ~CalendarServices() = default;

    // Syncs of subscriptions over the network, passwords in the secret store.
    virtual SyncMachinery& syncMachinery() = 0;
    // Runs a command of the command line on the board's store or
    // subscriptions; `done` is called once, from the event loop for those
    // that wait for a server.
    virtual void runCommand(const Command& command,
                            std::function<void(const CommandOutput&)> done) = 0;
    // The user's own calendar, pulled now (予定を更新); nothing when none
    // is set.
    virtual void syncOwnCalendar() = 0;
    // Its series' occurrences, which the board shows read-only.
    virtual std::vector<ReadOnlyEntry> ownSeries() const = 0;
    // The カレンダー購読 window, made at the first call and kept; the
    // caller shows it.
    virtual QWidget* subscriptionsWindow() = 0;
    // The editor's import: asks for an iCalendar file and reads it beside
    // the editor; `done` gets the new lines (none when it was stopped).
    virtual void importCalendar(QWidget* editor, std::vector<ListFields> current,
                                const QDate& today, ImportDone done) = 0;
};

// Makes the services for a board; null, with *error, when it cannot.
using CalendarServicesFactory =
    std::function<std::unique_ptr<CalendarServices>(const CalendarServices::Board&, QString*)>;

// The factory that loads the module (libtanzo_calendars.so).
std::unique_ptr<CalendarServices> loadCalendarServices(const CalendarServices::Board& board,
                                                       QString* error);

// The command line and a second start's raise, which live in the module
// too. Each tells the user on standard error when the module cannot load.
int runCommandLineModule(int argc, char** argv);
bool raiseRunningBoardModule();

} // namespace tanzo
