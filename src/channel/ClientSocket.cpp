#include "ClientSocket.h"

#include "platform/LocalChannel.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tanzo {
namespace {

// A full queue is tried again after this long, doubling up to the longest.
constexpr int kFirstRetryMs = 5;
constexpr int kLongestRetryMs = 100;

int msUntil(qint64 giveUpAtMs) {
    return static_cast<int>(std::clamp<qint64>(giveUpAtMs - channelClockMs(), 0, 24 * 3600 * 1000));
}

} // namespace

ClientSocket::~ClientSocket() {
    close();
}

void ClientSocket::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

ClientSocket::Connect ClientSocket::connectTo(const QString& path, qint64 giveUpAtMs) {
    close();
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || static_cast<size_t>(native.size()) >= sizeof address.sun_path)
        return Connect::NoListener;
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return Connect::Busy;
    for (int retryMs = kFirstRetryMs;; retryMs = std::min(retryMs * 2, kLongestRetryMs)) {
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return Connect::Connected;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == ENOENT || error == ECONNREFUSED || error == ENOTDIR) {
            close();
            return Connect::NoListener;
        }
        if (error == EINPROGRESS) {
            int result = 0;
            socklen_t size = sizeof result;
            if (waitFor(POLLOUT, giveUpAtMs) &&
                ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &result, &size) == 0 && result == 0)
                return Connect::Connected;
            close();
            return Connect::Busy;
        }
        const int left = msUntil(giveUpAtMs);
        if (error != EAGAIN || left == 0) {
            close();
            return Connect::Busy;
        }
        ::poll(nullptr, 0, std::min(retryMs, left));
    }
}

bool ClientSocket::waitFor(short events, qint64 giveUpAtMs) {
    for (;;) {
        pollfd entry{m_fd, events, 0};
        const int ready = ::poll(&entry, 1, msUntil(giveUpAtMs));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

bool ClientSocket::sendAll(const QByteArray& bytes, qint64 giveUpAtMs) {
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t wrote = ::send(m_fd, bytes.constData() + sent,
                                     static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (wrote > 0) {
            sent += wrote;
            continue;
        }
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(POLLOUT, giveUpAtMs))
            continue;
        return false;
    }
    return true;
}

bool ClientSocket::receiveSome(QByteArray& into, qint64 giveUpAtMs) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got > 0) {
            into.append(buffer, got);
            return true;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(POLLIN, giveUpAtMs))
            continue;
        return false;
    }
}

} // namespace tanzo
