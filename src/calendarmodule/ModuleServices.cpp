#include "ModuleServices.h"

#include "CalendarImport.h"
#include "SubscriptionsDialog.h"
#include "app/SubscriptionCommands.h"
#include "core/AppContext.h"
#include "platform/Clock.h"

namespace tanzo {

ModuleServices::ModuleServices(const Board& board) : m_board(board) {}

ModuleServices::~ModuleServices() {
    // Its window refers to the subscriptions, which the board drops next.
    delete m_subscriptionsWindow.data();
}

void ModuleServices::runCommand(const Command& command,
                                std::function<void(const CommandOutput&)> done) {
    if (command.isSubscriptionCommand()) {
        if (!m_board.subscriptions) {
            CommandOutput none;
            none.status = kStatusFailed;
            none.err = QStringLiteral("動作中のボードはカレンダー購読を扱えません。");
            done(none);
            return;
        }
        // Answered when the network has: the clock goes on meanwhile.
        runSubscriptionCommand(command, *m_board.subscriptions, std::move(done));
        return;
    }
    // Applied and answered at once: the board (and an open editor's list)
    // follows on its own, as the store announces the change.
    AppContext& state = m_board.state;
    const QDateTime now = state.clock.now();
    // The list in memory is what the file holds, with the notice flags of
    // this run; before the first load, read it.
    state.schedule.ensureLoaded(now.date());
    const Settings& s = state.settings.values();
    done(tanzo::runCommand(command, {state.schedule, now, s.preAlarm ? s.preAlarmMinute : -1}));
}

QWidget* ModuleServices::subscriptionsWindow() {
    if (!m_subscriptionsWindow && m_board.subscriptions)
        m_subscriptionsWindow = new SubscriptionsDialog(*m_board.subscriptions);
    return m_subscriptionsWindow;
}

void ModuleServices::importCalendar(QWidget* editor, std::vector<ListFields> current,
                                    const QDate& today, ImportDone done) {
    const QString path = calendarimport::chooseFile(editor);
    if (path.isEmpty())
        return;
    new calendarimport::CalendarImport(editor, m_board.prompts, path, std::move(current), today,
                                       std::move(done));
}

} // namespace tanzo
