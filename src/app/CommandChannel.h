#pragma once

#include "ScheduleCommands.h"

#include "platform/LocalChannel.h"
#include "services/CommandSocket.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace tanzo {

struct AppContext;
class CalendarSubscriptions;

// How long a command line waits for the board to take and answer a command.
// The board answers as soon as the store has written the file, one command
// after another; this bounds a board that hangs or a long queue.
constexpr int kCommandAnswerMs = 30000;
// That, or longer for the subscription commands, which wait for servers.
int answerLimitMs(const Command& command);

// The running board's end: applies each command to the board's store (flags
// included) and answers with the outcome as soon as the file is written.
class CommandServer : public QObject {
    Q_OBJECT
public:
    explicit CommandServer(AppContext& state, QString socketPath = commandSocketPath(),
                           QObject* parent = nullptr);
    ~CommandServer() override;

    // Only the instance holding the single-instance lock calls this, so a
    // socket file left by a crash can be removed.
    bool listen();
    // The board's subscriptions, for --subscribe, --sync and the like.
    void setSubscriptions(CalendarSubscriptions* subscriptions) { m_subscriptions = subscriptions; }

signals:
    // The program was started again: the board should come to the front.
    void raiseRequested();

private:
    void readRequest(const QByteArray& line, const ChannelListener::Answer& answer);
    void run(const Command& command, const ChannelListener::Answer& answer);

    AppContext& m_state;
    QString m_path;
    std::unique_ptr<ChannelListener> m_listener;
    CalendarSubscriptions* m_subscriptions = nullptr;
};

// The command line's end: the board's answer, or empty when nothing was
// done: no board listens (*listening false), or the board did not take the
// command (busy, stopped) before `giveUpAtMs` on channelClockMs(); the
// board then never will. A board that took the command but did not answer
// in time gives a failure that says it may have been carried out.
std::optional<CommandOutput> sendToBoard(const Command& command, qint64 giveUpAtMs,
                                         bool* listening = nullptr,
                                         const QString& socketPath = commandSocketPath());

} // namespace tanzo
