#include "CommandChannel.h"

#include "CommandServer.h"

#include "OwnCalendarCommands.h"
#include "owncalendar/OwnCalendar.h"
#include "subscriptions/SubscriptionSync.h"

#include <QJsonDocument>

#include <algorithm>

namespace tanzo {
namespace {
// The board takes a command only until this long before the command line
// gives up, which leaves it the time to write the file and answer.
constexpr int kAnswerMarginMs = 5000;
} // namespace

int answerLimitMs(const Command& command) {
    // A sync waits for the servers, each bounded by its own deadline.
    const int own = concernsOwnCalendar(command) && command.kind != Command::Kind::Subscriptions
                        ? OwnCalendar::kSyncTimeoutMs
                        : 0;
    return command.isSubscriptionCommand() ? own + SubscriptionSync::kSyncTimeoutMs + 10000
                                           : kCommandAnswerMs;
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
    json.insert(kChannelDeadlineKey, giveUpAtMs - std::max<qint64>(margin, 0));
    const QByteArray request = channelLine(json);
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
