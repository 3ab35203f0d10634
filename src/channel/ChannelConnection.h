#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>
#include <optional>

class QSocketNotifier;

namespace tanzo {

// One accepted connection of the board's listener, on a non-blocking
// descriptor it owns: what has arrived, what is still to go out, and the
// notifiers that say when either can move on. It never blocks, and a peer
// that has gone raises no signal.
class ChannelConnection final : public QObject {
public:
    // `readable` is called when something may have arrived (or the peer
    // hung up); `finished` when the last output, queued while the peer was
    // not reading, has gone out in full, or cannot go as the peer is gone.
    ChannelConnection(int fd, std::function<void()> readable, std::function<void()> finished);
    ~ChannelConnection() override;

    enum class Input { Open, Closed, TooLarge };
    // Takes in what has arrived, keeping at most `limit` bytes.
    Input readInput(qint64 limit);
    // Takes in what has arrived and throws it away.
    Input discardInput();
    // The first complete line, with its '\n'.
    std::optional<QByteArray> takeLine();
    // Nothing has arrived, here or still in the kernel.
    bool sentNothing() const;

    enum class Output { Pending, Sent, Failed };
    // Queues `bytes` and writes what the peer takes now; the rest goes as
    // it makes room. After `last`, the connection reports `finished` once
    // all is out.
    Output send(const QByteArray& bytes, bool last);

    // Closes the descriptor now, so that it is free for the next peer; the
    // object itself goes later (it may be in one of its own notifiers).
    void close();

private:
    Output flush();
    void writeMore();

    int m_fd;
    QByteArray m_input;
    qsizetype m_scanned = 0;
    QByteArray m_output;
    bool m_last = false;
    QSocketNotifier* m_readNotifier;
    QSocketNotifier* m_writeNotifier;
    std::function<void()> m_finished;
};

} // namespace tanzo
