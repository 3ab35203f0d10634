#include "ModuleServices.h"

#include "CalendarImport.h"
#include "OwnCalendarSection.h"
#include "SubscriptionsDialog.h"
#include "app/OwnCalendarCommands.h"
#include "app/SubscriptionCommands.h"
#include "core/AppContext.h"
#include "core/SettingsRepository.h"
#include "owncalendar/OwnCalendar.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "schedule/ReadOnlyNoticeRouter.h"

#include <QTimer>

namespace tanzo {

ModuleServices::ModuleServices(const Board& board) : m_board(board) {
    startOwnCalendar();
}

ModuleServices::~ModuleServices() {
    // Its window refers to the subscriptions, which the board drops next.
    delete m_subscriptionsWindow.data();
    if (m_ownCalendar)
        m_board.notices.removeOwner(&m_ownCalendar->series());
}

void ModuleServices::startOwnCalendar() {
    // It keeps its password where the subscriptions keep theirs.
    if (!m_board.subscriptions)
        return;
    AppContext& state = m_board.state;
    m_ownCalendar = std::make_unique<OwnCalendar>(state.schedule, state.clock,
                                                  m_machinery.passwords(), [&state] {
                                                      const Settings& s = state.settings.values();
                                                      return s.preAlarm ? s.preAlarmMinute : -1;
                                                  });
    QString problem;
    if (!m_ownCalendar->load(&problem))
        m_board.prompts.open(nullptr, msgbox::Icon::Exclamation, kAppTitle, problem);
    // The user hears which appointment took the server's version.
    QObject::connect(m_ownCalendar.get(), &OwnCalendar::conflictsFound, m_ownCalendar.get(),
                     [this](const QStringList& messages) {
                         m_board.prompts.open(nullptr, msgbox::Icon::Information, kAppTitle,
                                              messages.join(QLatin1Char('\n')));
                     });
    OwnSeries& series = m_ownCalendar->series();
    m_board.notices.addOwner(OwnSeries::kKeyPrefix, &series);
    QObject::connect(&series, &OwnSeries::changed, m_ownCalendar.get(), [this] {
        if (m_board.ownSeriesChanged)
            m_board.ownSeriesChanged();
    });
    // Made from the event loop, never inside the call that loaded the module.
    QTimer::singleShot(0, m_ownCalendar.get(), &OwnCalendar::startFollowing);
}

void ModuleServices::syncOwnCalendar() {
    if (m_ownCalendar && m_ownCalendar->isSet())
        m_ownCalendar->sync();
}

std::vector<ReadOnlyEntry> ModuleServices::ownSeries() const {
    return m_ownCalendar ? m_ownCalendar->series().entries() : std::vector<ReadOnlyEntry>{};
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
        runOwnCalendarPart(command, [this, command, done](const CommandOutput& own) {
            if (command.kind == Command::Kind::OwnCalendar) {
                done(own);
                return;
            }
            runSubscriptionCommand(command, *m_board.subscriptions,
                                   [this, done, own, command](const CommandOutput& out) {
                                       CommandOutput joined = joinedOutputs(own, out);
                                       if (command.kind == Command::Kind::Subscriptions)
                                           joined.out += ownCalendarLine(*m_ownCalendar);
                                       done(joined);
                                   });
        });
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

void ModuleServices::runOwnCalendarPart(const Command& command,
                                        std::function<void(const CommandOutput&)> done) {
    if (!concernsOwnCalendar(command)) {
        done({});
        return;
    }
    runOwnCalendarCommand(command, *m_ownCalendar, std::move(done));
}

QWidget* ModuleServices::subscriptionsWindow() {
    if (!m_subscriptionsWindow && m_board.subscriptions) {
        auto* window = new SubscriptionsDialog(*m_board.subscriptions);
        addOwnCalendarSection(window, *m_ownCalendar);
        m_subscriptionsWindow = window;
    }
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
