#include "CommandChannel.h"

#include "SubscriptionCommands.h"
#include "subscriptions/SubscriptionSync.h"

#include "core/AppContext.h"
#include "platform/Clock.h"

#include <QJsonDocument>

#include <algorithm>

namespace tanzo {
namespace {
// The board takes a command only until this long before the command line
// gives up, which leaves it the time to write the file and answer.
constexpr int kAnswerMarginMs = 5000;
const QString kDeadlineKey = QStringLiteral("deadline");

QByteArray frame(const QJsonObject& json) {
    return QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
}
} // namespace

int answerLimitMs(const Command& command) {
    // A sync waits for the servers, each bounded by its own deadline.
    return command.isSubscriptionCommand() ? SubscriptionSync::kSyncTimeoutMs + 10000
                                           : kCommandAnswerMs;
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
        // The board still holds the data file's locks; only the command
        // line cannot find it.
        qWarning("tanzo: no private directory for the command socket");
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
    // A command line that has given up, or is about to, reports the command
    // as not carried out: it must stay so.
    const qint64 deadline = doc.object().value(kDeadlineKey).toInteger(0);
    if (deadline > 0 && channelClockMs() >= deadline) {
        answer({});
        return;
    }
    answer(kChannelTakenMark);
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

std::optional<CommandOutput> sendToBoard(const Command& command, qint64 giveUpAtMs, bool* listening,
                                         const QString& socketPath) {
    if (listening)
        *listening = false;
    if (socketPath.isEmpty())
        return std::nullopt;
    QJsonObject json = command.toJson();
    // A short wait (a second start's raise) keeps a share of it for the
    // answer.
    const qint64 margin = std::min<qint64>(kAnswerMarginMs, (giveUpAtMs - channelClockMs()) / 3);
    json.insert(kDeadlineKey, giveUpAtMs - std::max<qint64>(margin, 0));
    const QByteArray request = frame(json);
    if (request.size() > kMaxChannelRequestBytes) {
        CommandOutput tooLarge;
        tooLarge.status = kStatusBadInput;
        tooLarge.err =
            QStringLiteral("取り込む予定の文字が多すぎるため、動作中のボードに渡せません。");
        return tooLarge;
    }
    const ChannelExchange exchange = exchangeOverChannel(socketPath, request, giveUpAtMs);
    if (listening)
        *listening = exchange.outcome != ChannelExchange::Outcome::NoListener;
    if (exchange.outcome == ChannelExchange::Outcome::NoListener ||
        exchange.outcome == ChannelExchange::Outcome::NotTaken)
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(exchange.answer);
    if (exchange.outcome == ChannelExchange::Outcome::Answered && doc.isObject())
        return CommandOutput::fromJson(doc.object());
    // The board took the command: it may have carried it out. Never fall
    // back to writing the file as well.
    CommandOutput noAnswer;
    noAnswer.status = kStatusFailed;
    noAnswer.err =
        QStringLiteral("動作中のボードから時間内に応答がありませんでした。"
                       "コマンドは実行された可能性があります（--list で確かめてください）。");
    return noAnswer;
}

} // namespace tanzo
