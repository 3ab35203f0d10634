// The local-socket side of the command channel, built as a module of its own
// that is loaded when a channel is first used.
#include "ClientSocket.h"
#include "PeerCheck.h"
#include "SocketListener.h"

namespace tanzo {
namespace {

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
    ClientSocket socket;
    switch (socket.connectTo(path, giveUpAtMs)) {
    case ClientSocket::Connect::Connected:
        break;
    case ClientSocket::Connect::NoListener:
        return {ChannelExchange::Outcome::NoListener, {}};
    case ClientSocket::Connect::Busy:
        return {ChannelExchange::Outcome::NotTaken, {}};
    }
    if (!peerIsThisUser(socket.descriptor()))
        return {};
    if (!socket.sendAll(request, giveUpAtMs))
        return {ChannelExchange::Outcome::NotTaken, {}};
    QByteArray reply;
    bool taken = false;
    for (;;) {
        taken = takeMarks(reply) || taken;
        if (reply.endsWith('\n'))
            return {ChannelExchange::Outcome::Answered, reply};
        if (!socket.receiveSome(reply, giveUpAtMs)) {
            // Hanging up here tells a board that has not got to the request
            // yet to leave it alone.
            socket.close();
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
