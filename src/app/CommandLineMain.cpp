#include "CommandChannel.h"
#include "CommandLine.h"
#include "OwnCalendarCommands.h"
#include "SubscriptionCommands.h"
#include "calendar/IcsExport.h"
#include "core/AppContext.h"
#include "core/SettingsRepository.h"
#include "owncalendar/OwnCalendar.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/RegistryStore.h"
#include "platform/SingleInstance.h"
#include "platform/ToolkitTranslation.h"
#include "subscriptions/CalendarSubscriptions.h"
#include "subscriptions/NetworkSyncMachinery.h"
#include "subscriptions/SecretStorePasswords.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QThread>
#include <QTranslator>

#include <algorithm>
#include <cstdio>

namespace tanzo {
namespace {
// Between tries to reach a board that is busy, starting, or holds the
// write lock: short at first, then longer, with some spread so that many
// command lines started at once do not come back in step.
constexpr int kFirstRetryMs = 10;
constexpr int kLongestRetryMs = 400;
// A second start waits this long for the board to come to the front.
constexpr int kRaiseMs = 5000;

QString dataFilePath() {
    return paths::dataDirectory(kDataFileName) + kDataFileName;
}

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
    ScheduleStore schedule(dataFilePath(), clock);
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
    NetworkSyncMachinery network;
    CalendarSubscriptions subscriptions(paths::subscriptionsFilePath(),
                                        paths::subscriptionCacheDirectory(), clock);
    subscriptions.setMachinery([&network] { return &network; });
    QString error;
    if (!subscriptions.load(&error) && command.kind != Command::Kind::Subscriptions &&
        command.kind != Command::Kind::Calendars) {
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

// No board runs: the own calendar is synced here, with this process's
// store, which holds the write lock; then --sync goes on to the
// subscriptions.
CommandOutput runOwnCalendarAlone(const Command& command) {
    const SystemClock clock;
    ScheduleStore schedule(dataFilePath(), clock);
    schedule.load(clock.today());
    SecretStorePasswords passwords;
    OwnCalendar own(schedule, clock, passwords, noticeMinutes);
    QString problem;
    if (!own.load(&problem) && command.kind != Command::Kind::Subscriptions) {
        CommandOutput out;
        out.status = kStatusFailed;
        out.err = problem;
        return out;
    }
    std::optional<CommandOutput> result;
    runOwnCalendarCommand(command, own, [&result](const CommandOutput& out) {
        result = out;
        QCoreApplication::quit();
    });
    if (!result)
        QCoreApplication::exec();
    const CommandOutput out = result.value_or(CommandOutput{kStatusFailed, {}, {}, false, {}});
    if (command.kind == Command::Kind::OwnCalendar)
        return out;
    CommandOutput joined = joinedOutputs(out, runSubscriptionsAlone(command));
    if (command.kind == Command::Kind::Subscriptions)
        joined.out += ownCalendarLine(own);
    return joined;
}

// Waits for the next try; false when the time is up.
bool waitToRetry(int& retryMs, qint64 giveUpAtMs) {
    const qint64 left = giveUpAtMs - channelClockMs();
    if (left <= 0)
        return false;
    const int spread = static_cast<int>(QRandomGenerator::global()->bounded(retryMs / 2 + 1));
    QThread::msleep(static_cast<unsigned long>(std::min<qint64>(retryMs + spread, left)));
    retryMs = std::min(retryMs * 2, kLongestRetryMs);
    return true;
}

CommandOutput dispatch(const Command& command) {
    // Without a directory of our own there is no safe place for the socket,
    // so no way to find a board; the write lock beside the data file still
    // keeps the file to one writer.
    QString noDirectory;
    const QString socketPath = commandSocketPath(&noDirectory);
    const qint64 giveUpAtMs = channelClockMs() + answerLimitMs(command);
    int retryMs = kFirstRetryMs;
    for (;;) {
        bool listening = false;
        if (auto answer = sendToBoard(command, giveUpAtMs, &listening, socketPath))
            return *answer;
        if (!listening) {
            // A running board holds the write lock for as long as it runs.
            SingleInstance writer(
                SingleInstance::writeLockPath(SingleInstance::lockPathFor(dataFilePath())));
            if (writer.tryAcquire())
                return concernsOwnCalendar(command)      ? runOwnCalendarAlone(command)
                       : command.isSubscriptionCommand() ? runSubscriptionsAlone(command)
                                                         : runAlone(command);
            if (socketPath.isEmpty())
                return CommandOutput::failure(
                    kStatusFailed,
                    noDirectory + QStringLiteral("動作中のボードにコマンドを届けられないため、"
                                                 "実行しませんでした。"));
        }
        // The board is busy with other commands, starting up, or stopped;
        // or another command line is writing.
        if (!waitToRetry(retryMs, giveUpAtMs))
            return CommandOutput::failure(
                kStatusFailed, QStringLiteral("動作中のボードに時間内に接続できませんでした。"
                                              "コマンドは実行されていません。"));
    }
}

} // namespace

bool raiseRunningBoard() {
    Command raise;
    raise.kind = Command::Kind::Raise;
    // A board that has just started opens its channel a moment later.
    const qint64 giveUpAtMs = channelClockMs() + kRaiseMs;
    int retryMs = kFirstRetryMs;
    do {
        if (sendToBoard(raise, giveUpAtMs))
            return true;
    } while (waitToRetry(retryMs, giveUpAtMs));
    // A board on this data file runs where this start cannot reach it: in
    // another session or with another runtime directory, or still starting.
    print(stderr, QStringLiteral("tanzo: このデータファイルのボードは既に動作中ですが、"
                                 "接続できませんでした。"));
    return false;
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
    // Listing a server's calendars needs nothing of the board's: it is
    // asked from here, whether a board runs or not.
    CommandOutput out = command.kind == Command::Kind::Calendars ? runSubscriptionsAlone(command)
                                                                 : dispatch(command);
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
