// The local-socket side of the command channel, built as a module of its own
// so that only a process that uses the channel loads the network library.
#include "platform/LocalChannel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <sys/socket.h>
#include <unistd.h>

namespace tanzo {
namespace {

// The socket lives in a directory only this user can enter; the kernel's
// word on who is at the other end makes sure all the same.
bool peerIsThisUser(const QLocalSocket& socket) {
    const qintptr fd = socket.socketDescriptor();
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    return fd >= 0 &&
           ::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           size == sizeof credentials && credentials.uid == ::geteuid();
}

class LocalSocketListener final : public ChannelListener {
public:
    explicit LocalSocketListener(RequestHandler handler) : m_handler(std::move(handler)) {
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(&m_server, &QLocalServer::newConnection, &m_server,
                         [this] { acceptPending(); });
    }

    bool listen(const QString& path) override {
        QLocalServer::removeServer(path);
        return m_server.listen(path);
    }

private:
    void acceptPending() {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            if (!peerIsThisUser(*socket)) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket,
                             [this, socket] { readRequest(socket); });
        }
    }

    void readRequest(QLocalSocket* socket) {
        if (socket->bytesAvailable() > kMaxChannelRequestBytes) {
            socket->abort();
            return;
        }
        if (!socket->canReadLine())
            return;
        const QByteArray line = socket->readLine();
        const QPointer<QLocalSocket> peer(socket);
        m_handler(line, [peer](const QByteArray& answer) {
            if (!peer)
                return;
            if (answer.isEmpty()) {
                peer->abort();
                return;
            }
            peer->write(answer);
            peer->flush();
        });
    }

    QLocalServer m_server;
    RequestHandler m_handler;
};

ChannelExchange exchange(const QString& path, const QByteArray& request, int connectMs,
                         int answerMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(connectMs))
        return {};
    if (!peerIsThisUser(socket))
        return {};
    // From here on the listener may have acted on the request.
    ChannelExchange noAnswer{ChannelExchange::Outcome::NoAnswer, {}};
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(answerMs))
            return noAnswer;
    }
    QByteArray reply;
    while (!reply.endsWith('\n')) {
        if (!socket.waitForReadyRead(answerMs))
            return noAnswer;
        reply += socket.readAll();
    }
    return {ChannelExchange::Outcome::Answered, reply};
}

} // namespace
} // namespace tanzo

// The entry points the program looks up.
extern "C" Q_DECL_EXPORT tanzo::ChannelListener*
tanzo_create_channel_listener(const tanzo::ChannelListener::RequestHandler& handler) {
    return new tanzo::LocalSocketListener(handler);
}

extern "C" Q_DECL_EXPORT void tanzo_exchange_over_channel(const QString& path,
                                                          const QByteArray& request, int connectMs,
                                                          int answerMs,
                                                          tanzo::ChannelExchange* result) {
    *result = tanzo::exchange(path, request, connectMs, answerMs);
}
