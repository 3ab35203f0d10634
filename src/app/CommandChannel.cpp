#include "CommandChannel.h"

#include "core/AppContext.h"
#include "platform/Clock.h"

#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>

namespace tanzo {
namespace {
constexpr int kConnectMs = 1000;
constexpr int kAnswerMs = 15000;
// A fill of the board processes events; a command waits until it is done.
constexpr int kBusyRetryMs = 100;
// Requests are small; a peer that sends more is not a command line of ours.
constexpr qint64 kMaxRequestBytes = 16 * 1024 * 1024;

QByteArray frame(const QJsonObject& json) {
    return QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
}
} // namespace

QString commandSocketPath() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/tanzo-commands");
    return QStringLiteral("tanzo-commands-%1").arg(getuid());
}

CommandServer::CommandServer(AppContext& state, QString socketPath, QObject* parent)
    : QObject(parent), m_state(state), m_path(std::move(socketPath)),
      m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequest(socket); });
        }
    });
}

CommandServer::~CommandServer() = default;

bool CommandServer::listen() {
    QLocalServer::removeServer(m_path);
    if (m_server->listen(m_path))
        return true;
    qWarning("tanzo: cannot listen for commands on %s", qPrintable(m_path));
    return false;
}

void CommandServer::readRequest(QLocalSocket* socket) {
    if (socket->bytesAvailable() > kMaxRequestBytes) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine())
        return;
    const QJsonDocument doc = QJsonDocument::fromJson(socket->readLine());
    if (!doc.isObject()) {
        socket->abort();
        return;
    }
    answer(socket, Command::fromJson(doc.object()));
}

void CommandServer::answer(QLocalSocket* socket, const Command& command) {
    const QPointer<QLocalSocket> guard(socket);
    if (m_busy && m_busy()) {
        QTimer::singleShot(kBusyRetryMs, this, [this, guard, command] {
            if (guard)
                answer(guard, command);
        });
        return;
    }
    // The list in memory is what the file holds, with the notice flags of
    // this run; before the first load, or while a reload waits, read it.
    const bool changes =
        command.kind == Command::Kind::Add || command.kind == Command::Kind::Import;
    if (changes && m_editorOpen && m_editorOpen()) {
        CommandOutput refused;
        refused.status = kStatusFailed;
        refused.err = QStringLiteral(
            "スケジュール登録の画面が開いています。閉じてからもう一度実行してください。");
        socket->write(frame(refused.toJson()));
        socket->flush();
        return;
    }
    const QDateTime now = m_state.clock.now();
    ScheduleStore& schedule = m_state.schedule;
    schedule.loadIfStale(now.date());
    const Settings& s = m_state.settings;
    const CommandOutput out = runCommand(
        command, {schedule.entries(), schedule.file(), now, s.PreAlarm ? s.PreAlarmMinute : -1});
    socket->write(frame(out.toJson()));
    socket->flush();
    if (out.changed)
        emit scheduleChanged();
}

std::optional<CommandOutput> sendToBoard(const Command& command, const QString& socketPath) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kConnectMs))
        return std::nullopt;
    // From here on the board may have applied the command: never fall back
    // to writing the file as well.
    CommandOutput noAnswer;
    noAnswer.status = kStatusFailed;
    noAnswer.err = QStringLiteral("動作中のボードから応答がありませんでした。");
    socket.write(frame(command.toJson()));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kAnswerMs))
            return noAnswer;
    }
    QByteArray reply;
    while (!reply.endsWith('\n')) {
        if (!socket.waitForReadyRead(kAnswerMs))
            return noAnswer;
        reply += socket.readAll();
    }
    const QJsonDocument doc = QJsonDocument::fromJson(reply);
    if (!doc.isObject())
        return noAnswer;
    return CommandOutput::fromJson(doc.object());
}

} // namespace tanzo
