#pragma once

#include "BoardLocks.h"

#include "core/AppContext.h"
#include "core/SettingsRepository.h"
#include "editor/ScheduleEditor.h"
#include "options/OptionsDialog.h"
#include "options/Pickers.h"
#include "options/VersionWindow.h"
#include "platform/AtomicWriter.h"
#include "platform/RegistryStore.h"
#include "schedule/ReadOnlyNoticeRouter.h"
#include "services/CalendarServices.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace tanzo {

class Clock;
class SoundPlayer;
class MainWindow;
class WindowBehaviour;
class NoticeCenter;
class Ticker;
class CommandServer;
class CalendarSubscriptions;

// Start-up and exit of the program, and the owner of its windows: the board,
// the notices, and the editor, options and version windows (each at most
// once).
class Shell : public QObject {
    Q_OBJECT
public:
    struct Locations {
        QString settingsFile;
        QString dataDirectory;  // with a trailing separator
        QString mediaDirectory; // with a trailing separator; may be empty
        QString lockFile;
        // Empty: beside lockFile (see SingleInstance::writeLockPath).
        QString writeLockFile;
        // Calendar subscriptions and their copies; empty: none are read.
        QString subscriptionsFile;
        QString subscriptionCacheDirectory;
    };
    static Locations defaultLocations();

    // Message boxes and the beep go through `prompts`; the settings and the
    // data file are written through writers made by `writers`; the calendar
    // module's services are made by `calendar` when first needed.
    Shell(Clock& clock, Locations locations, SoundPlayer& sound, Prompts& prompts,
          AtomicWriterFactory writers = makeSaveFileWriter,
          CalendarServicesFactory calendar = loadCalendarServices);
    ~Shell() override;

    enum class StartResult { Running, SecondInstance, Failed };
    StartResult start();

    // Every way out: the close label, the board and tray menus, Alt+F4 and
    // window-manager closes, termination signals and the session's end.
    // Ends open pickers and message boxes, then writes the appointments and
    // the window settings and ends the event loop. A failed write of the
    // appointments keeps everything running.
    void requestExit();

    void openScheduleEditor();
    void openOptions();
    void showVersion();
    void openSubscriptions();
    void showHelp();

    AppContext& state() { return *m_state; }
    MainWindow* board() { return m_board.get(); }
    WindowBehaviour* behaviour() { return m_behaviour.get(); }
    NoticeCenter* notices() { return m_notices.get(); }
    Ticker* ticker() { return m_ticker.get(); }
    CalendarSubscriptions* subscriptions() { return m_subscriptions.get(); }
    SettingsRepository& settingsRepository() { return m_repository; }
    ScheduleEditor* scheduleEditor() const { return m_editor; }
    OptionsDialog* optionsDialog() const { return m_options; }
    VersionWindow* versionWindow() const { return m_version; }

signals:
    // The program has finished its exit and should end.
    void finished();

private:
    // Start-up, past the instance lock, the settings and the board's
    // window: the notices, the clock and the window's behaviour around the
    // board; the board's menu and keys; its first position.
    void attachToBoard();
    void connectBoardCommands();
    void placeBoard();
    void openCommandChannel();
    // The calendar module's services, made at the first call; null when
    // they cannot be had. The second tells the user why, over `askedFrom`.
    CalendarServices* calendarServices();
    CalendarServices* calendarServicesFor(QWidget* askedFrom);
    void startSubscriptions();
    void startOwnCalendar();
    void showReadOnlyEntries();
    void continueExit();
    void endNestedLoops();
    void runExit();
    void tellWriteFailed();
    bool allDialogsOpen() const;
    void centreOnScreen(QWidget* window) const;

    Clock& m_clock;
    Locations m_locations;
    SoundPlayer& m_sound;
    Prompts& m_prompts;
    AtomicWriterFactory m_writers;
    options::DesktopPickers m_pickers;
    BoardLocks m_locks;
    RegistryStore m_store;
    SettingsRepository m_repository;
    std::unique_ptr<AppContext> m_state;
    std::unique_ptr<NoticeCenter> m_notices;
    std::unique_ptr<MainWindow> m_board;
    std::unique_ptr<WindowBehaviour> m_behaviour;
    std::unique_ptr<CommandServer> m_commands;
    std::unique_ptr<Ticker> m_ticker;
    std::unique_ptr<CalendarSubscriptions> m_subscriptions;
    CalendarServicesFactory m_calendarFactory;
    std::unique_ptr<CalendarServices> m_calendar;
    QString m_calendarError;             // why the services could not be made
    ReadOnlyNoticeRouter m_noticeOwners; // the store's owner of read-only notice flags
    QPointer<QMessageBox> m_writeFailedBox;
    QPointer<ScheduleEditor> m_editor;
    QPointer<OptionsDialog> m_options;
    QPointer<VersionWindow> m_version;
    bool m_exitQueued = false;
    bool m_exiting = false;
};

} // namespace tanzo
