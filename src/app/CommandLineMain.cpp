#include "CommandChannel.h"
#include "CommandLine.h"
#include "SubscriptionCommands.h"
#include "calendar/IcsExport.h"
#include "core/AppContext.h"
#include "core/SettingsRepository.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/RegistryStore.h"
#include "platform/RuntimeDirectory.h"
#include "platform/SingleInstance.h"
#include "platform/ToolkitTranslation.h"
#include "subscriptions/CalendarSubscriptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTranslator>

#include <cstdio>

namespace tanzo {
namespace {
// A board that holds the write lock but does not listen yet is starting up;
// another command line holding it is writing and done within moments.
constexpr int kStartingBoardWaitMs = 5000;
constexpr int kRetryMs = 100;

// Terminals get UTF-8 whatever the data file's code page, and never a
// control character from a file or a calendar (an escape sequence would
// act on the terminal): only line ends pass.
void print(FILE* stream, const QString& text) {
    if (text.isEmpty())
        return;
    QString shown = text;
    shown.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != u'\n') || (u >= 0x7F && u <= 0x9F);
    });
    QByteArray bytes = shown.toUtf8();
    if (!bytes.endsWith('\n'))
        bytes += '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

int noticeMinutes() {
    RegistryStore store(paths::settingsFilePath());
    SettingsRepository repository(store);
    Settings s;
    // Missing or unreadable settings give the defaults.
    repository.openKey();
    s = repository.read(QSizeF(1920 * 15, 1080 * 15));
    return s.preAlarm ? s.preAlarmMinute : -1;
}

// No board runs: this process holds the write lock, so a board that starts
// now waits until the file is written.
CommandOutput runAlone(const Command& command) {
    const SystemClock clock;
    ScheduleStore schedule(paths::dataDirectory(kDataFileName) + kDataFileName, clock);
    const QDateTime now = clock.now();
    if (!schedule.load(now.date()))
        std::fprintf(
            stderr, "%s\n",
            QStringLiteral(
                "データファイルの%1行目が読めません。書き込む前に元のファイルを %2 に残します。")
                .arg(schedule.lastLoad().lineNumber)
                .arg(schedule.backupPath())
                .toUtf8()
                .constData());
    if (command.kind == Command::Kind::List) {
        // The last copies of the subscribed calendars, as the board shows them.
        CalendarSubscriptions subscriptions(paths::subscriptionsFilePath(),
                                            paths::subscriptionCacheDirectory(), clock);
        subscriptions.load();
        schedule.setReadOnlyEntries(subscriptions.readOnlyEntries());
    }
    const int minutes = command.kind == Command::Kind::Export ? noticeMinutes() : -1;
    return runCommand(command, {schedule, now, minutes});
}

// No board runs: the subscriptions are worked on here, the network
// answering through this process's own event loop.
CommandOutput runSubscriptionsAlone(const Command& command) {
    const SystemClock clock;
    CalendarSubscriptions subscriptions(paths::subscriptionsFilePath(),
                                        paths::subscriptionCacheDirectory(), clock);
    QString error;
    if (!subscriptions.load(&error) && command.kind != Command::Kind::Subscriptions) {
        CommandOutput out;
        out.status = kStatusFailed;
        out.err = error;
        return out;
    }
    std::optional<CommandOutput> result;
    runSubscriptionCommand(command, subscriptions, [&result](const CommandOutput& out) {
        result = out;
        QCoreApplication::quit();
    });
    if (!result)
        QCoreApplication::exec();
    return result.value_or(CommandOutput{kStatusFailed, {}, {}, false, {}});
}

CommandOutput dispatch(const Command& command) {
    // Without a directory of our own there is no safe place for the socket
    // or the lock: no way to find the board, nor to keep it from writing
    // the data file beside us.
    QString noDirectory;
    if (privateRuntimeDirectory(&noDirectory).isEmpty()) {
        CommandOutput out;
        out.status = kStatusFailed;
        out.err = noDirectory + QStringLiteral("コマンドは実行しませんでした。");
        return out;
    }
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (auto answer = sendToBoard(command))
            return *answer;
        // A running board holds the write lock for as long as it runs.
        SingleInstance writer(SingleInstance::writeLockPath());
        if (writer.tryAcquire())
            return command.isSubscriptionCommand() ? runSubscriptionsAlone(command)
                                                   : runAlone(command);
        if (waited.elapsed() > kStartingBoardWaitMs) {
            CommandOutput out;
            out.status = kStatusFailed;
            out.err = QStringLiteral("動作中のボードに接続できませんでした。");
            return out;
        }
        QThread::msleep(kRetryMs);
    }
}

} // namespace

void raiseRunningBoard() {
    Command raise;
    raise.kind = Command::Kind::Raise;
    sendToBoard(raise);
}

int runCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTranslator toolkitTranslator;
    installToolkitTranslation(toolkitTranslator);
    const ParsedCommandLine parsed = parseCommandLine(QCoreApplication::arguments());
    print(stdout, parsed.out);
    print(stderr, parsed.err);
    if (!parsed.command)
        return parsed.status;
    const Command& command = *parsed.command;
    CommandOutput out = dispatch(command);
    if (out.status == 0 && command.kind == Command::Kind::Export) {
        QString error;
        if (!writeIcsFile(command.fileName, out.fileBytes, &error)) {
            out.status = kStatusFailed;
            out.err = error;
        }
    }
    print(stdout, out.out);
    print(stderr, out.err);
    return out.status;
}

} // namespace tanzo
