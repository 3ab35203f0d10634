#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace tanzo {

// One request line in, one answer line out, over a per-user local socket.
// The socket machinery lives in a module of its own, loaded when a channel
// is first used, so that the board starts without the network library.

// Requests are small; a peer that sends more than this is not a command line
// of ours, and the listener cuts it off.
constexpr qint64 kMaxChannelRequestBytes = 16 * 1024 * 1024;

class ChannelListener {
public:
    // Sends the answer, one line ending in '\n'; an empty answer closes the
    // connection unanswered. After the peer has gone it does nothing.
    using Answer = std::function<void(const QByteArray& line)>;
    // Gets each request line (with its '\n') and answers it now or later.
    using RequestHandler = std::function<void(const QByteArray& line, const Answer& answer)>;

    virtual ~ChannelListener() = default;
    // Listens on `path`, for this user only. Only the instance holding the
    // single-instance lock calls this, so a socket left by a crash is taken
    // over.
    virtual bool listen(const QString& path) = 0;
};

// Null, with a warning, when the channel module cannot be loaded.
std::unique_ptr<ChannelListener> createChannelListener(ChannelListener::RequestHandler handler);

struct ChannelExchange {
    enum class Outcome {
        NoListener, // nothing took the request
        NoAnswer,   // taken, but no whole answer line in time
        Answered,
    };
    Outcome outcome = Outcome::NoListener;
    QByteArray answer;
};

// Sends `request` (one line ending in '\n') to the listener on `path` and
// waits for its answer line.
ChannelExchange exchangeOverChannel(const QString& path, const QByteArray& request, int connectMs,
                                    int answerMs);

} // namespace tanzo
