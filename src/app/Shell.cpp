#include "Shell.h"

#include "CommandServer.h"

#include "alarm/NoticeCenter.h"
#include "alarm/Ticker.h"
#include "board/BoardPaging.h"
#include "board/MainWindow.h"
#include "board/WindowBehaviour.h"
#include "core/LoadNoticeBox.h"
#include "editor/ScheduleEditor.h"
#include "options/HelpViewer.h"
#include "options/OptionsDialog.h"
#include "options/VersionWindow.h"
#include "platform/AppIcon.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/ScreenFit.h"
#include "platform/SingleInstance.h"
#include "platform/SoundPlayer.h"
#include "platform/Twips.h"
#include "platform/WindowSystem.h"
#include "services/CommandSocket.h"
#include "subscriptions/CalendarSubscriptions.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QScreen>
#include <QThread>
#include <QTimer>

namespace tanzo {
namespace {
const QString kReadFailed = QStringLiteral("プログラム情報の取得に失敗しました。");
const QString kSaveFailed = QStringLiteral("プログラム情報の保存に失敗しました。");
const QString kDataWriteFailed = QStringLiteral("スケジュールデータの書き込みに失敗しました。");
// Margin of the board's first position from the top right screen corner.
constexpr int kFirstPositionMargin = 16;
// How long after the board shows the command channel opens; loading the
// socket machinery is left until the board is on the screen.
constexpr int kCommandChannelDelayMs = 200;
// How soon an exit looks again whether the nested event loops it ended
// have returned.
constexpr int kNestedLoopRetryMs = 10;
} // namespace

Shell::Locations Shell::defaultLocations() {
    Locations l;
    l.settingsFile = paths::settingsFilePath();
    l.dataDirectory = paths::dataDirectory(kDataFileName);
    l.mediaDirectory = paths::mediaDirectory();
    l.lockFile = SingleInstance::lockPathFor(l.dataDirectory + kDataFileName);
    l.writeLockFile = SingleInstance::writeLockPath(l.lockFile);
    l.subscriptionsFile = paths::subscriptionsFilePath();
    l.subscriptionCacheDirectory = paths::subscriptionCacheDirectory();
    return l;
}

Shell::Shell(Clock& clock, Locations locations, SoundPlayer& sound, Prompts& prompts,
             AtomicWriterFactory writers, CalendarServicesFactory calendar)
    : m_clock(clock), m_locations(std::move(locations)), m_sound(sound), m_prompts(prompts),
      m_writers(std::move(writers)), m_locks(m_locations.lockFile, m_locations.writeLockFile),
      m_store(m_locations.settingsFile, m_writers), m_repository(m_store),
      m_calendarFactory(std::move(calendar)) {}

Shell::~Shell() {
    m_ticker.reset();
    m_commands.reset();
    // Windows that refer to the board go before it. By now the event loop
    // has returned, so no handler of theirs is running.
    delete m_editor.data();
    delete m_options.data();
    delete m_version.data();
    // The module's channel and window refer to the subscriptions and the store.
    m_calendar.reset();
    if (m_state)
        m_state->schedule.setReadOnlyNotices(nullptr);
    m_subscriptions.reset();
    m_behaviour.reset();
    if (m_notices)
        m_notices->closeAll();
    m_board.reset();
    m_notices.reset();
}

Shell::StartResult Shell::start() {
    // Nothing is shown before the locks are held; a second start only reads,
    // and ends there. (Converting an old settings layout writes it, the same
    // way from any start.)
    m_locks.takeInBackground();
    if (!m_repository.openKey() || !m_repository.migrateLegacy()) {
        if (!m_locks.held())
            return StartResult::SecondInstance;
        QApplication::setWindowIcon(appIcon());
        m_prompts.show(nullptr, msgbox::Icon::Critical, kAppTitle, kReadFailed);
        return StartResult::Failed;
    }

    m_state =
        std::make_unique<AppContext>(m_clock, m_locations.dataDirectory, m_prompts, m_writers);
    Settings stored = m_repository.read(Twips::screenSizeTwips());
    if (!m_locations.mediaDirectory.isEmpty() && stored.soundDirectory.isEmpty())
        stored.soundDirectory = m_locations.mediaDirectory;
    m_state->settings.replace(stored);

    // Whatever made the store read the file, a read that left something out
    // is told once, without stopping the clock.
    connect(&m_state->schedule, &ScheduleStore::changed, this,
            [this] { showLoadNotice(m_state->schedule, m_prompts); });

    m_board = std::make_unique<MainWindow>(*m_state);
    if (!m_locks.held()) {
        m_board.reset();
        return StartResult::SecondInstance;
    }
    attachToBoard();
    connectBoardCommands();
    placeBoard();
    // Every window of the program (board, editor, options, notices, version,
    // help) carries the program's icon unless it sets its own. Drawn once
    // the board is on the screen, which shows it nowhere (it has no task-bar
    // button of its own) and takes it over the moment it is set.
    QApplication::setWindowIcon(appIcon());
    // The last copies of the subscribed calendars show from the first fill.
    startSubscriptions();
    startOwnCalendar();
    // The first tick loads the appointments.
    m_ticker->start();
    m_state->schedule.watchFile();
    if (m_state->settings.values().showTask)
        m_behaviour->presence().syncTaskBarProxy();
    // Off the start-up path: a command line that comes sooner waits for it.
    QTimer::singleShot(kCommandChannelDelayMs, this, &Shell::openCommandChannel);
    return StartResult::Running;
}

void Shell::attachToBoard() {
    // The notices know nothing of the board but its icon; the board is a
    // view of the store and knows neither the clock nor the notices.
    m_notices =
        std::make_unique<NoticeCenter>(m_state->settings.values(), m_board->boardIcon(), m_sound);
    m_ticker = std::make_unique<Ticker>(
        m_clock, m_state->schedule, m_state->settings.values(), m_sound,
        [this](const QString& place, const QString& comment, int kind, int leadMinutes,
               NoticeShown shown) {
            m_notices->showNotice(place, comment, kind, std::move(shown), leadMinutes);
        });
    connect(m_ticker.get(), &Ticker::writeFailed, this, &Shell::tellWriteFailed);

    // The page the board shows follows the list and the clock from here on.
    m_behaviour = std::make_unique<WindowBehaviour>(*m_state, *m_board);
    BoardPaging* paging = &m_behaviour->paging();
    connect(m_ticker.get(), &Ticker::startNoticeGiven, paging, &BoardPaging::moveToNextEntry);
    connect(m_ticker.get(), &Ticker::minuteTurned, paging, &BoardPaging::followClock);
    // When the board comes forward is the tray presence's to decide; a board
    // that comes forward for a fill never covers a notice.
    TrayPresence* presence = &m_behaviour->presence();
    presence->setOpenNoticeProbe([this] { return m_notices->openCount(); });
    presence->setAllDialogsOpenProbe([this] { return allDialogsOpen(); });
    connect(presence, &TrayPresence::cameForward, m_notices.get(), &NoticeCenter::raiseOpenNotices);
    connect(m_notices.get(), &NoticeCenter::boardWanted, presence,
            &TrayPresence::bringBoardForward);
    connect(m_board.get(), &MainWindow::exitRequested, this, &Shell::requestExit);
}

void Shell::connectBoardCommands() {
    BoardCommands* commands = &m_behaviour->commands();
    connect(commands, &BoardCommands::exitRequested, this, &Shell::requestExit);
    connect(commands, &BoardCommands::scheduleRequested, this, &Shell::openScheduleEditor);
    connect(commands, &BoardCommands::optionRequested, this, &Shell::openOptions);
    connect(commands, &BoardCommands::syncRequested, this, [this] {
        // Asked for by the user: a missing calendar module is told now.
        CalendarServices* services = m_subscriptions ? calendarServicesFor(m_board.get()) : nullptr;
        if (!services)
            return;
        m_subscriptions->syncAll();
        services->syncOwnCalendar();
    });
    connect(commands, &BoardCommands::aboutRequested, this, &Shell::showVersion);
    connect(commands, &BoardCommands::helpRequested, this, &Shell::showHelp);
    connect(&m_behaviour->drag(), &BoardDrag::dragged, this, [this](int left, int top) {
        if (m_options)
            m_options->followBoardDrag(left, top);
    });
}

void Shell::placeBoard() {
    // A board that has never been placed starts near the top right corner.
    const QRect laidOut = m_board->boardRect();
    const QSize screen = Twips::screenSizePixels();
    const int firstLeft = std::max(0, screen.width() - laidOut.width() - kFirstPositionMargin);
    m_state->settings.update([&](Settings& s) {
        if (s.lastPositionX == 1)
            s.lastPositionX = static_cast<int16_t>(firstLeft);
        if (s.lastPositionY == 1)
            s.lastPositionY = static_cast<int16_t>(kFirstPositionMargin);
        // A board stored partly or wholly off its screen (a smaller monitor,
        // a size changed after the position was set) would hide its controls.
        const QPoint reachable =
            positionInsideScreens(QRect(QPoint(s.lastPositionX, s.lastPositionY), laidOut.size()));
        s.lastPositionX = static_cast<int16_t>(reachable.x());
        s.lastPositionY = static_cast<int16_t>(reachable.y());
    });
    const Settings& s = m_state->settings.values();
    if (s.topMost)
        m_board->setBoardStaysOnTop(true);
    m_board->placeBoardAt(
        QRect(s.lastPositionX, s.lastPositionY, laidOut.width(), laidOut.height()), Focus::Take);
}

void Shell::openCommandChannel() {
    if (m_exiting)
        return;
    // Commands from the command line are run by the calendar module, loaded
    // at the first one; a second start's raise needs none of it.
    QString noDirectory;
    const QString socketPath = commandSocketPath(&noDirectory);
    m_commands = std::make_unique<CommandServer>(socketPath, [this] { return calendarServices(); });
    connect(m_commands.get(), &CommandServer::raiseRequested, &m_behaviour->presence(),
            &TrayPresence::bringToFront);
    m_commands->listen();
    // The board still holds the data file's locks, so nothing is written
    // beside it; but the command line cannot reach it, which the user is
    // told once.
    if (socketPath.isEmpty())
        m_prompts.open(nullptr, msgbox::Icon::Exclamation, kAppTitle,
                       noDirectory +
                           QStringLiteral("コマンドラインからの操作はこのボードに届きません。"));
}

void Shell::startSubscriptions() {
    if (m_locations.subscriptionsFile.isEmpty())
        return;
    m_subscriptions = std::make_unique<CalendarSubscriptions>(
        m_locations.subscriptionsFile, m_locations.subscriptionCacheDirectory, m_clock);
    QString error;
    if (!m_subscriptions->load(&error))
        m_prompts.open(nullptr, msgbox::Icon::Exclamation, kAppTitle, error);
    ScheduleStore& schedule = m_state->schedule;
    // Their notice flags are the subscriptions' alone (the own calendar's
    // series keep theirs): the store reads and marks them there.
    m_noticeOwners.setDefaultOwner(&m_subscriptions->noticeFlags());
    schedule.setReadOnlyNotices(&m_noticeOwners);
    showReadOnlyEntries();
    connect(m_subscriptions.get(), &CalendarSubscriptions::appointmentsChanged, this,
            &Shell::showReadOnlyEntries);
    // Syncs load the calendar module; a missing one leaves the copies as
    // they are, with a status that says why.
    m_subscriptions->setMachinery([this]() -> SyncMachinery* {
        CalendarServices* services = calendarServices();
        return services ? &services->syncMachinery() : nullptr;
    });
    // The network starts once the board is up, and never on the clock's path.
    QTimer::singleShot(kCommandChannelDelayMs, m_subscriptions.get(),
                       &CalendarSubscriptions::startRefreshing);
}

void Shell::startOwnCalendar() {
    // An own calendar follows every change of the list, so the calendar
    // module comes once the board is up; without one it waits to be asked.
    if (!m_subscriptions ||
        !QFileInfo::exists(paths::ownCalendarStatePath(m_state->schedule.path())))
        return;
    QTimer::singleShot(kCommandChannelDelayMs, this, [this] {
        if (!m_exiting)
            calendarServicesFor(m_board.get());
    });
}

void Shell::showReadOnlyEntries() {
    std::vector<ReadOnlyEntry> entries = m_subscriptions->readOnlyEntries();
    if (m_calendar) {
        std::vector<ReadOnlyEntry> own = m_calendar->ownSeries();
        entries.insert(entries.end(), std::make_move_iterator(own.begin()),
                       std::make_move_iterator(own.end()));
    }
    m_state->schedule.setReadOnlyEntries(std::move(entries));
}

void Shell::requestExit() {
    if (!m_state || !m_board || m_exiting || m_exitQueued)
        return;
    // Queued, so that the menu, key or signal handler that asked has
    // returned before anything is closed.
    m_exitQueued = true;
    QTimer::singleShot(0, this, &Shell::continueExit);
}

void Shell::continueExit() {
    m_exitQueued = false;
    // A picker, message box or menu runs its own event loop inside one of
    // our handlers. End it, and come back once that handler has returned:
    // nothing may be written or closed beneath a running handler.
    if (QThread::currentThread()->loopLevel() > 1) {
        endNestedLoops();
        m_exitQueued = true;
        QTimer::singleShot(kNestedLoopRetryMs, this, &Shell::continueExit);
        return;
    }
    runExit();
}

void Shell::endNestedLoops() {
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

void Shell::runExit() {
    AppContext& st = *m_state;
    // Before the first tick has loaded the file, or while another program's
    // change to it waits to be picked up, the list in memory is not what the
    // file holds: read the file first so the exit writes what is really
    // there. When the write then fails the program goes on.
    st.schedule.ensureLoaded(m_clock.today());
    // Notices that came on the screen a moment ago count as given.
    m_ticker->settleShownNotices();
    if (!st.schedule.save()) {
        m_prompts.show(m_board.get(), msgbox::Icon::Critical, kAppTitle, kDataWriteFailed);
        m_behaviour->presence().exitRefused();
        return;
    }
    m_exiting = true;
    m_ticker->stop();

    if (st.settings.values().saveLastPosition) {
        const QRect r = m_board->boardRect();
        st.settings.update([&r](Settings& s) {
            s.lastPositionX = static_cast<int16_t>(r.left());
            s.lastPositionY = static_cast<int16_t>(r.top());
        });
    }
    // Windows are only closed here; they are destroyed with the shell, once
    // the event loop has returned and none of their handlers can still run.
    // The notices, tray icon and proxy go first, as they have more to undo
    // than a close; then every other open window (editor, options, version,
    // help).
    m_notices->closeAll();
    m_behaviour->presence().withdraw();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != m_board.get() && window->isVisible())
            window->close();
    }
    m_board->unload();

    if (!m_repository.openKey() ||
        !m_repository.writeWindowSettings(st.settings.values(), m_board->isInTray()))
        m_prompts.show(nullptr, msgbox::Icon::Critical, kAppTitle, kSaveFailed);
    emit finished();
}

bool Shell::allDialogsOpen() const {
    return m_editor && m_options && m_version;
}

void Shell::centreOnScreen(QWidget* window) const {
    const QSize screen = Twips::screenSizePixels();
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    window->move((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2);
}

void Shell::openScheduleEditor() {
    if (m_editor || !m_board || m_exiting)
        return;
    // The editor starts from the list, which must be what the file holds.
    m_state->schedule.ensureLoaded(m_clock.today());
    m_editor = new ScheduleEditor(*m_state);
    m_editor->setCalendarServices([this] { return calendarServicesFor(m_editor); });
    centreOnScreen(m_editor);
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void Shell::openOptions() {
    if (!m_board || m_exiting)
        return;
    OptionsDialog* dialog =
        openOptionsDialog(m_options, *m_state, *m_board, m_repository, m_sound, m_pickers);
    if (dialog)
        connect(dialog, &OptionsDialog::subscriptionsRequested, this, &Shell::openSubscriptions);
}

void Shell::openSubscriptions() {
    if (!m_subscriptions || m_exiting)
        return;
    CalendarServices* services = calendarServicesFor(m_options);
    QWidget* window = services ? services->subscriptionsWindow() : nullptr;
    if (!window)
        return;
    if (!window->isVisible())
        centreOnScreen(window);
    window->show();
    window->raise();
    window->activateWindow();
}

CalendarServices* Shell::calendarServices() {
    // One try: a module that failed to load fails the same way again.
    if (!m_calendar && m_calendarError.isEmpty() && m_state) {
        m_calendar = m_calendarFactory({*m_state, m_subscriptions.get(), m_prompts, m_noticeOwners,
                                        [this] { showReadOnlyEntries(); }},
                                       &m_calendarError);
        if (!m_calendar && m_calendarError.isEmpty())
            m_calendarError = QStringLiteral("カレンダーの機能を読み込めませんでした。");
    }
    return m_calendar.get();
}

CalendarServices* Shell::calendarServicesFor(QWidget* askedFrom) {
    CalendarServices* services = calendarServices();
    if (!services)
        m_prompts.open(askedFrom, msgbox::Icon::Exclamation, kAppTitle, m_calendarError);
    return services;
}

void Shell::showVersion() {
    if (m_board && !m_exiting)
        showVersionWindow(m_version, *m_state, *m_board, m_sound);
}

void Shell::tellWriteFailed() {
    // One box at a time: the notices that come while it is open fail the
    // same way and have nothing new to say.
    if (m_writeFailedBox || m_exiting)
        return;
    m_writeFailedBox = m_prompts.open(nullptr, msgbox::Icon::Critical, kAppTitle, kDataWriteFailed);
}

void Shell::showHelp() {
    if (m_board)
        showHelpContents(m_prompts, m_board.get());
}

} // namespace tanzo
