#include "CommandServer.h"

#include "services/CalendarServices.h"

#include <QJsonDocument>

namespace tanzo {

QByteArray channelLine(const QJsonObject& json) {
    return QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
}

CommandServer::CommandServer(QString socketPath, std::function<CalendarServices*()> services,
                             QObject* parent)
    : QObject(parent), m_path(std::move(socketPath)), m_services(std::move(services)),
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
    const qint64 deadline = doc.object().value(kChannelDeadlineKey).toInteger(0);
    if (deadline > 0 && channelClockMs() >= deadline) {
        answer({});
        return;
    }
    answer(kChannelTakenMark);
    if (command->kind == Command::Kind::Raise) {
        answer(channelLine(CommandOutput().toJson()));
        emit raiseRequested();
        return;
    }
    CalendarServices* services = m_services ? m_services() : nullptr;
    if (!services) {
        CommandOutput none;
        none.status = kStatusFailed;
        none.err = QStringLiteral("動作中のボードはカレンダーの機能を読み込めないため、"
                                  "コマンドを実行できません。");
        answer(channelLine(none.toJson()));
        return;
    }
    services->runCommand(*command,
                         [answer](const CommandOutput& out) { answer(channelLine(out.toJson())); });
}

} // namespace tanzo
