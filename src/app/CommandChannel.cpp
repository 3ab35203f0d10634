#include "CommandChannel.h"

#include "SubscriptionCommands.h"
#include "subscriptions/SubscriptionSync.h"

#include "core/AppContext.h"
#include "platform/Clock.h"
#include "platform/RuntimeDirectory.h"

#include <QJsonDocument>

namespace tanzo {
namespace {
constexpr int kConnectMs = 1000;
// The board answers as soon as the store has written the file; nothing in
// it waits, so this is a bound for a board that hangs, not a queue.
constexpr int kAnswerMs = 15000;
// A sync waits for the servers, each bounded by its own deadline.
constexpr int kSubscriptionAnswerMs = SubscriptionSync::kSyncTimeoutMs + 10000;

QByteArray frame(const QJsonObject& json) {
    return QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
}
} // namespace

QString commandSocketPath() {
    const QString directory = privateRuntimeDirectory();
    return directory.isEmpty() ? QString() : directory + QStringLiteral("/tanzo-commands");
}

CommandServer::CommandServer(AppContext& state, QString socketPath, QObject* parent)
    : QObject(parent), m_state(state), m_path(std::move(socketPath)),
      m_listener(createChannelListener(
          [this](const QByteArray& line, const ChannelListener::Answer& answer) {
              readRequest(line, answer);
          })) {}

CommandServer::~CommandServer() = default;

bool CommandServer::listen() {
    if (m_path.isEmpty()) {
        qWarning("tanzo: no private directory for the command socket; commands run alone");
        return false;
    }
    if (m_listener && m_listener->listen(m_path))
        return true;
    qWarning("tanzo: cannot listen for commands on %s", qPrintable(m_path));
    return false;
}

void CommandServer::readRequest(const QByteArray& line, const ChannelListener::Answer& answer) {
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    const std::optional<Command> command =
        doc.isObject() ? Command::fromJson(doc.object()) : std::nullopt;
    if (!command) {
        answer({});
        return;
    }
    if (command->kind == Command::Kind::Raise) {
        answer(frame(CommandOutput().toJson()));
        emit raiseRequested();
        return;
    }
    run(*command, answer);
}

void CommandServer::run(const Command& command, const ChannelListener::Answer& answer) {
    if (command.isSubscriptionCommand()) {
        if (!m_subscriptions) {
            CommandOutput none;
            none.status = kStatusFailed;
            none.err = QStringLiteral("動作中のボードはカレンダー購読を扱えません。");
            answer(frame(none.toJson()));
            return;
        }
        // Answered when the network has: the clock goes on meanwhile.
        runSubscriptionCommand(command, *m_subscriptions,
                               [answer](const CommandOutput& out) { answer(frame(out.toJson())); });
        return;
    }
    // Applied and answered at once: the board (and an open editor's list)
    // follows on its own.
    const QDateTime now = m_state.clock.now();
    // The list in memory is what the file holds, with the notice flags of
    // this run; before the first load, read it.
    m_state.schedule.ensureLoaded(now.date());
    const Settings& s = m_state.settings.values();
    const CommandOutput out =
        runCommand(command, {m_state.schedule, now, s.preAlarm ? s.preAlarmMinute : -1});
    answer(frame(out.toJson()));
}

std::optional<CommandOutput> sendToBoard(const Command& command, const QString& socketPath) {
    if (socketPath.isEmpty())
        return std::nullopt;
    const QByteArray request = frame(command.toJson());
    if (request.size() > kMaxChannelRequestBytes) {
        CommandOutput tooLarge;
        tooLarge.status = kStatusBadInput;
        tooLarge.err =
            QStringLiteral("取り込む予定の文字が多すぎるため、動作中のボードに渡せません。");
        return tooLarge;
    }
    const ChannelExchange exchange =
        exchangeOverChannel(socketPath, request, kConnectMs,
                            command.isSubscriptionCommand() ? kSubscriptionAnswerMs : kAnswerMs);
    if (exchange.outcome == ChannelExchange::Outcome::NoListener)
        return std::nullopt;
    // The board may have applied the command: never fall back to writing
    // the file as well.
    const QJsonDocument doc = QJsonDocument::fromJson(exchange.answer);
    if (exchange.outcome == ChannelExchange::Outcome::Answered && doc.isObject())
        return CommandOutput::fromJson(doc.object());
    CommandOutput noAnswer;
    noAnswer.status = kStatusFailed;
    noAnswer.err = QStringLiteral("動作中のボードから応答がありませんでした。");
    return noAnswer;
}

} // namespace tanzo
