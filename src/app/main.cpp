#include "Shell.h"

#include "platform/Clock.h"
#include "platform/DisplayCheck.h"
#include "platform/Fonts.h"
#include "platform/Prompts.h"
#include "platform/SoundPlayer.h"
#include "platform/TerminationSignals.h"
#include "platform/ToolkitTranslation.h"
#include "services/CalendarServices.h"
#include "services/LaunchMode.h"

#include <QApplication>
#include <QTranslator>

#include <cstdio>
#include <optional>

namespace {

// The board must place itself, drag itself and stay on top; Qt on Wayland can
// do none of these, so a Wayland session with XWayland runs on X11.
void preferX11UnderWayland() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") &&
        qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationVersion(QStringLiteral(TANZO_VERSION));
    if (tanzo::wantsCommandLine(argc, argv))
        return tanzo::runCommandLineModule(argc, argv);
    preferX11UnderWayland();
    // The toolkit would abort with a long hint about reinstalling.
    if (const QString reason = tanzo::missingDisplayReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "tanzo: %s\n", reason.toUtf8().constData());
        return 1;
    }
    // A display that is named but does not answer is told as plainly.
    std::optional<tanzo::DisplayFailureExplanation> displayFailure(std::in_place);
    QApplication app(argc, argv);
    displayFailure.reset();
    QApplication::setApplicationName(QStringLiteral("tanzo"));
    QApplication::setOrganizationName(QStringLiteral("Merovane"));
    QApplication::setApplicationVersion(QStringLiteral(TANZO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tanzo"));
    // Notices and dialogs come and go; the program ends only by its exit.
    QApplication::setQuitOnLastWindowClosed(false);
    tanzo::installJapaneseFontSubstitutions();
    QTranslator toolkitTranslator;
    tanzo::installToolkitTranslation(toolkitTranslator);

    tanzo::SystemClock clock;
    tanzo::Shell shell(clock, tanzo::Shell::defaultLocations(), tanzo::defaultSoundPlayer(),
                       tanzo::desktopPrompts());
    // exit() rather than quit(): quit() would first ask the board to close,
    // which the board takes as a new exit command.
    QObject::connect(
        &shell, &tanzo::Shell::finished, &app, [] { QApplication::exit(0); }, Qt::QueuedConnection);
    // Logout or `kill` ends the program through its exit command, so the
    // appointments' notice flags and the window settings are kept.
    tanzo::TerminationSignals termination;
    QObject::connect(&termination, &tanzo::TerminationSignals::terminationRequested, &shell,
                     &tanzo::Shell::requestExit);
    // The session is ending: the same way out, so nothing is lost at logout.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &shell, &tanzo::Shell::requestExit);
    switch (shell.start()) {
    case tanzo::Shell::StartResult::SecondInstance:
        return tanzo::raiseRunningBoardModule() ? 0 : 1;
    case tanzo::Shell::StartResult::Failed:
        return 1;
    case tanzo::Shell::StartResult::Running:
        break;
    }
    return QApplication::exec();
}
