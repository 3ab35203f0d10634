#pragma once

#include "platform/LocalChannel.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <map>
#include <sys/types.h>

class QSocketNotifier;

namespace tanzo {

class ChannelConnection;

// The board's end of the channel, on the system's local sockets driven by
// the event loop's notifiers: loading it brings no network library into the
// board. Running out of descriptors pauses accepting and keeps the socket
// file; the listen queue is the system's longest. Connections are served one
// request each, with a bound on how many are open and how long one may take
// to send its request.
class SocketListener final : public ChannelListener {
public:
    explicit SocketListener(RequestHandler handler);
    ~SocketListener() override;

    bool listen(const QString& path) override;

    // Open at once; beyond this the oldest that has sent nothing is let go
    // for a new one, or accepting waits.
    static constexpr int kMaxConnections = 128;
    // A connection must deliver its whole request within this time.
    static constexpr int kRequestMs = 5000;

private:
    // Waiting for the request, acting on it, or answered and closing.
    enum class Stage { Waiting, Working, Answered };
    struct Connection {
        ChannelConnection* link = nullptr;
        QDeadlineTimer requestDue;
        Stage stage = Stage::Waiting;
    };

    bool bindSocket();
    void closeSocket();
    void acceptPending();
    bool adopt(int fd);
    bool dropOldestSilent();
    void pauseAccepting(int ms);
    void readRequest(quint64 id);
    void answer(quint64 id, const QByteArray& line);
    void drop(quint64 id);
    void dropLate();
    void checkSocketFile();
    bool socketFileIsOurs() const;

    RequestHandler m_handler;
    QObject m_context;
    QString m_path;
    int m_fd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_sweep;
    QTimer m_fileCheck;
    QTimer m_resume;
    // By the order they came in, which is also their name for the answers
    // that arrive after they have gone.
    std::map<quint64, Connection> m_connections;
    quint64 m_accepted = 0;
    bool m_toldOutOfDescriptors = false;
};

} // namespace tanzo
