// The local-socket side of the command channel, built as a module of its own
// that is loaded when a channel is first used.
#include "PeerCheck.h"
#include "SocketListener.h"

#include <QLocalSocket>

#include <algorithm>

namespace tanzo {
namespace {

int msUntil(qint64 giveUpAtMs) {
    return static_cast<int>(std::clamp<qint64>(giveUpAtMs - channelClockMs(), 0, 24 * 3600 * 1000));
}

// Takes the taken marks off the front of what has arrived.
bool takeMarks(QByteArray& reply) {
    bool taken = false;
    while (reply.startsWith(kChannelTakenMark)) {
        reply.remove(0, 1);
        taken = true;
    }
    return taken;
}

ChannelExchange exchange(const QString& path, const QByteArray& request, qint64 giveUpAtMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(msUntil(giveUpAtMs))) {
        // A full queue (the board busy) is worth another try; a missing
        // or dead socket means no board.
        const bool none = socket.error() == QLocalSocket::ServerNotFoundError ||
                          socket.error() == QLocalSocket::ConnectionRefusedError;
        return {none ? ChannelExchange::Outcome::NoListener : ChannelExchange::Outcome::NotTaken,
                {}};
    }
    if (!peerIsThisUser(static_cast<int>(socket.socketDescriptor())))
        return {};
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(msUntil(giveUpAtMs)))
            return {ChannelExchange::Outcome::NotTaken, {}};
    }
    QByteArray reply;
    bool taken = false;
    for (;;) {
        taken = takeMarks(reply) || taken;
        if (reply.endsWith('\n'))
            return {ChannelExchange::Outcome::Answered, reply};
        const bool more = socket.waitForReadyRead(msUntil(giveUpAtMs));
        reply += socket.readAll();
        if (!more && !reply.endsWith('\n')) {
            taken = takeMarks(reply) || taken;
            // Hanging up here tells a board that has not got to the request
            // yet to leave it alone.
            socket.abort();
            return {taken ? ChannelExchange::Outcome::Taken : ChannelExchange::Outcome::NotTaken,
                    {}};
        }
    }
}

} // namespace
} // namespace tanzo

// The entry points the program looks up.
extern "C" Q_DECL_EXPORT tanzo::ChannelListener*
tanzo_create_channel_listener(const tanzo::ChannelListener::RequestHandler& handler) {
    return new tanzo::SocketListener(handler);
}

extern "C" Q_DECL_EXPORT void tanzo_exchange_over_channel(const QString& path,
                                                          const QByteArray& request,
                                                          qint64 giveUpAtMs,
                                                          tanzo::ChannelExchange* result) {
    *result = tanzo::exchange(path, request, giveUpAtMs);
}
