#pragma once

#include <QByteArray>
#include <QString>

#include <ctime>
#include <functional>
#include <memory>

namespace tanzo {

// One request line in, one answer line out, over a per-user local socket.
// The socket machinery lives in a module of its own, loaded when a channel
// is first used; it works on the system's local sockets with QtCore alone.

// Requests are small; a peer that sends more than this is not a command line
// of ours, and the listener cuts it off.
constexpr qint64 kMaxChannelRequestBytes = 16 * 1024 * 1024;

// Sent, alone, before the listener acts on a request: from then on the
// request may have been carried out, whether or not its answer arrives.
inline constexpr char kChannelTakenMark[] = "\n";

// Milliseconds on the system's monotonic clock, which every process of the
// machine reads alike (the wall clock may be set, or differ per process), so
// that a deadline can travel with a request.
inline qint64 channelClockMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

class ChannelListener {
public:
    // Sends kChannelTakenMark, or the answer: one line ending in '\n', after
    // which the connection is closed. An empty answer closes the connection
    // unanswered. After the peer has gone it does nothing.
    using Answer = std::function<void(const QByteArray& line)>;
    // Gets each request line (with its '\n') and answers it now or later.
    // A request whose sender has already hung up is never handed on.
    using RequestHandler = std::function<void(const QByteArray& line, const Answer& answer)>;

    virtual ~ChannelListener() = default;
    // Listens on `path`, for this user only, and keeps listening: a socket
    // file that is removed is made again. Only the instance holding the
    // single-instance lock calls this, so a socket left by a crash is taken
    // over.
    virtual bool listen(const QString& path) = 0;
};

// Null, with a warning, when the channel module cannot be loaded.
std::unique_ptr<ChannelListener> createChannelListener(ChannelListener::RequestHandler handler);

struct ChannelExchange {
    enum class Outcome {
        NoListener, // nothing listens on the path
        NotTaken,   // the listener did not take the request in time, or let it go
        Taken,      // taken, but no answer line in time: it may have been carried out
        Answered,
    };
    Outcome outcome = Outcome::NoListener;
    QByteArray answer;
};

// Sends `request` (one line ending in '\n') to the listener on `path` and
// waits for its answer line until `giveUpAtMs` (on channelClockMs()).
ChannelExchange exchangeOverChannel(const QString& path, const QByteArray& request,
                                    qint64 giveUpAtMs);

} // namespace tanzo
