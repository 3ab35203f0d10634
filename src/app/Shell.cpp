#include "Shell.h"

#include "alarm/NoticeCenter.h"
#include "board/MainWindow.h"
#include "board/WindowBehaviour.h"
#include "core/LoadNoticeBox.h"
#include "editor/ScheduleEditor.h"
#include "options/HelpViewer.h"
#include "options/OptionsDialog.h"
#include "options/VersionWindow.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

namespace tanzo {
namespace {
const QString kReadFailed = QStringLiteral("プログラム情報の取得に失敗しました。");
const QString kSaveFailed = QStringLiteral("プログラム情報の保存に失敗しました。");
const QString kDataWriteFailed = QStringLiteral("スケジュールデータの書き込みに失敗しました。");
// Margin of the board's first position from the top right screen corner.
constexpr int kFirstPositionMargin = 16;
} // namespace

Shell::Locations Shell::defaultLocations() {
    Locations l;
    l.settingsFile = paths::settingsFilePath();
    l.dataDirectory = paths::dataDirectory(kDataFileName);
    l.mediaDirectory = paths::mediaDirectory();
    l.lockFile = SingleInstance::defaultLockPath();
    return l;
}

Shell::Shell(Clock& clock, Locations locations, SoundPlayer& sound)
    : m_clock(clock), m_locations(std::move(locations)), m_sound(sound),
      m_instance(m_locations.lockFile), m_store(m_locations.settingsFile), m_repository(m_store) {}

Shell::~Shell() {
    // Windows that refer to the board go before it.
    delete m_editor.data();
    delete m_options.data();
    delete m_version.data();
    m_behaviour.reset();
    if (m_notices)
        m_notices->closeAll();
    m_board.reset();
    m_notices.reset();
}

Shell::StartResult Shell::start() {
    if (!m_instance.tryAcquire())
        return StartResult::SecondInstance;

    if (!m_repository.openKey() || !m_repository.migrateLegacy()) {
        msgbox::show(nullptr, msgbox::Icon::Critical, kAppTitle, kReadFailed);
        return StartResult::Failed;
    }

    m_state = std::make_unique<AppState>(m_clock, m_locations.dataDirectory);
    Settings& s = m_state->settings;
    m_repository.read(s, Twips::screenSizeTwips());
    m_state->MediaDirectory = m_locations.mediaDirectory;
    if (!m_state->MediaDirectory.isEmpty() && s.SoundDirectory.isEmpty())
        s.SoundDirectory = m_state->MediaDirectory;

    // The board and the notices refer to each other only through the sink
    // and the BoardHost interface.
    m_board = std::make_unique<MainWindow>(
        *m_state, [this](const QString& place, const QString& comment, int kind) {
            if (m_notices)
                m_notices->showNotice(place, comment, kind);
        });
    m_notices = std::make_unique<NoticeCenter>(*m_state, *m_board, m_sound);
    m_board->setAllDialogsOpenProbe([this] { return allDialogsOpen(); });

    m_behaviour = std::make_unique<WindowBehaviour>(*m_state, *m_board);
    m_board->setBehaviour(m_behaviour.get());
    connect(m_board.get(), &MainWindow::exitRequested, this, &Shell::exitCommand);
    connect(m_board.get(), &MainWindow::unloaded, this, &Shell::onBoardUnloaded);
    connect(m_behaviour.get(), &WindowBehaviour::exitRequested, this, &Shell::exitCommand);
    connect(m_behaviour.get(), &WindowBehaviour::scheduleRequested, this,
            &Shell::openScheduleEditor);
    connect(m_behaviour.get(), &WindowBehaviour::optionRequested, this, &Shell::openOptions);
    connect(m_behaviour.get(), &WindowBehaviour::aboutRequested, this, &Shell::showVersion);
    connect(m_behaviour.get(), &WindowBehaviour::helpRequested, this, &Shell::showHelp);
    connect(m_behaviour.get(), &WindowBehaviour::dragged, this, [this](int left, int top) {
        if (m_options)
            m_options->boardDragged(left, top);
    });

    // A board that has never been placed starts near the top right corner.
    const QRect laidOut = m_board->boardRect();
    const QSize screen = Twips::screenSizePixels();
    const int firstLeft = std::max(0, screen.width() - laidOut.width() - kFirstPositionMargin);
    if (s.LastPositionX == 1)
        s.LastPositionX = static_cast<int16_t>(firstLeft);
    if (s.LastPositionY == 1)
        s.LastPositionY = static_cast<int16_t>(kFirstPositionMargin);

    m_board->placeBoard(static_cast<int>(s.TopMost ? InsertAfter::TopMost : InsertAfter::Top),
                        QRect(s.LastPositionX, s.LastPositionY, laidOut.width(), laidOut.height()),
                        ShowWindow);
    m_board->timer1()->setInterval(1000);
    m_board->timer1()->start();
    if (s.ShowTask)
        m_behaviour->showTaskBarProxy();
    return StartResult::Running;
}

void Shell::exitCommand() {
    if (!m_state || !m_board || m_exiting)
        return;
    AppState& st = *m_state;
    // Before the first tick has loaded the file, or while the editor's save
    // waits for its reload, the list in memory is not what the file holds:
    // read the file first so the exit writes what is really there.
    // When the write then fails, the program goes on: ReloadRequested stays
    // set so that the next tick redraws the board from the list just read.
    if (st.Loading || st.ReloadRequested) {
        st.dataFile.load(st.dayList, m_clock.today());
        showLoadNotice(st.dataFile);
    }
    if (!st.dataFile.save(st.dayList)) {
        msgbox::show(m_board.get(), msgbox::Icon::Critical, kAppTitle, kDataWriteFailed);
        return;
    }
    m_exiting = true;
    m_board->unload();
}

void Shell::onBoardUnloaded() {
    AppState& st = *m_state;
    Settings& s = st.settings;
    if (s.SaveLastPosition) {
        const QRect r = m_board->boardRect();
        s.LastPositionX = static_cast<int16_t>(r.left());
        s.LastPositionY = static_cast<int16_t>(r.top());
    }
    delete m_editor.data();
    delete m_options.data();
    delete m_version.data();
    if (m_notices)
        m_notices->closeAll();
    // The task-bar proxy and the tray icon go with the behaviour.
    m_board->setBehaviour(nullptr);
    m_behaviour.reset();

    if (!m_repository.openKey() || !m_repository.writeWindowSettings(s, st.TrayMode))
        msgbox::show(nullptr, msgbox::Icon::Critical, kAppTitle, kSaveFailed);
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
    if (m_editor || !m_board)
        return;
    m_editor = new ScheduleEditor(*m_state, *m_board);
    centreOnScreen(m_editor);
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void Shell::openOptions() {
    if (m_options || !m_board)
        return;
    m_options = new OptionsDialog(*m_state, *m_board, m_repository, m_sound);
    centreOnScreen(m_options);
    m_options->show();
    m_options->raise();
    m_options->activateWindow();
}

void Shell::showVersion() {
    if (m_version || !m_board)
        return;
    m_version = new VersionWindow(*m_state, *m_board, m_sound);
    m_version->showCentred();
}

void Shell::showHelp() {
    if (m_board)
        showHelpContents(m_board.get());
}

} // namespace tanzo
