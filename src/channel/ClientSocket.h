#pragma once

#include <QByteArray>
#include <QString>

namespace tanzo {

// The command line's end of the channel: a process that has nothing else to
// do meanwhile, so each step waits, but never past the deadline it is given
// (milliseconds on channelClockMs()). A board that hangs up raises no
// signal.
class ClientSocket {
public:
    ClientSocket() = default;
    ~ClientSocket();
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    enum class Connect { Connected, NoListener, Busy };
    // A full listen queue (the board busy) is tried again until the
    // deadline; a missing or dead socket means no listener.
    Connect connectTo(const QString& path, qint64 giveUpAtMs);
    int descriptor() const { return m_fd; }
    bool sendAll(const QByteArray& bytes, qint64 giveUpAtMs);
    // Appends what arrives to `into`; false once the peer has hung up or
    // the deadline has passed with nothing new.
    bool receiveSome(QByteArray& into, qint64 giveUpAtMs);
    void close();

private:
    // False when the deadline passed first.
    bool waitFor(short events, qint64 giveUpAtMs);

    int m_fd = -1;
};

} // namespace tanzo
