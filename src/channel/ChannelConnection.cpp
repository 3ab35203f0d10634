#include "ChannelConnection.h"

#include <QSocketNotifier>

#include <cerrno>
#include <optional>

#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tanzo {
namespace {

constexpr qint64 kReadChunk = 64 * 1024;
// Thrown away at one go, so that a peer that keeps sending cannot hold the
// board in one call.
constexpr qint64 kDiscardPerCall = 1024 * 1024;

// What a read that brought nothing says of the connection; none when it was
// only interrupted and is tried again.
std::optional<ChannelConnection::Input> afterEmptyRead(ssize_t got) {
    if (got < 0 && errno == EINTR)
        return std::nullopt;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return ChannelConnection::Input::Open;
    return ChannelConnection::Input::Closed;
}

} // namespace

ChannelConnection::ChannelConnection(int fd, std::function<void()> readable,
                                     std::function<void()> finished)
    : m_fd(fd), m_readNotifier(new QSocketNotifier(fd, QSocketNotifier::Read, this)),
      m_writeNotifier(new QSocketNotifier(fd, QSocketNotifier::Write, this)),
      m_finished(std::move(finished)) {
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, std::move(readable));
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { writeMore(); });
}

ChannelConnection::~ChannelConnection() {
    if (m_fd >= 0)
        ::close(m_fd);
}

ChannelConnection::Input ChannelConnection::readInput(qint64 limit) {
    while (m_fd >= 0) {
        if (m_input.size() > limit)
            return Input::TooLarge;
        const qint64 room = std::min(kReadChunk, limit + 1 - m_input.size());
        const qsizetype had = m_input.size();
        m_input.resize(had + room);
        const ssize_t got = ::read(m_fd, m_input.data() + had, static_cast<size_t>(room));
        m_input.resize(had + std::max<ssize_t>(got, 0));
        if (got > 0)
            continue;
        if (const std::optional<Input> state = afterEmptyRead(got))
            return *state;
    }
    return Input::Closed;
}

ChannelConnection::Input ChannelConnection::discardInput() {
    m_input.clear();
    m_scanned = 0;
    char buffer[16 * 1024];
    for (qint64 thrown = 0; m_fd >= 0 && thrown < kDiscardPerCall;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got > 0) {
            thrown += got;
            continue;
        }
        if (const std::optional<Input> state = afterEmptyRead(got))
            return *state;
    }
    return m_fd >= 0 ? Input::Open : Input::Closed;
}

std::optional<QByteArray> ChannelConnection::takeLine() {
    const qsizetype end = m_input.indexOf('\n', m_scanned);
    if (end < 0) {
        // Looked at once: a request arriving in many pieces costs its
        // length, not its length squared.
        m_scanned = m_input.size();
        return std::nullopt;
    }
    QByteArray line = m_input.left(end + 1);
    m_input.remove(0, end + 1);
    m_scanned = 0;
    return line;
}

bool ChannelConnection::sentNothing() const {
    int queued = 0;
    return m_input.isEmpty() && m_fd >= 0 && ::ioctl(m_fd, FIONREAD, &queued) == 0 && queued == 0;
}

ChannelConnection::Output ChannelConnection::send(const QByteArray& bytes, bool last) {
    m_output += bytes;
    m_last = last;
    return flush();
}

ChannelConnection::Output ChannelConnection::flush() {
    qsizetype sent = 0;
    while (m_fd >= 0 && sent < m_output.size()) {
        const ssize_t wrote =
            ::send(m_fd, m_output.constData() + sent, static_cast<size_t>(m_output.size() - sent),
                   MSG_DONTWAIT | MSG_NOSIGNAL);
        if (wrote > 0) {
            sent += wrote;
            continue;
        }
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_output.remove(0, sent);
            m_writeNotifier->setEnabled(true);
            return Output::Pending;
        }
        break;
    }
    m_writeNotifier->setEnabled(false);
    const bool all = m_fd >= 0 && sent == m_output.size();
    m_output.clear();
    return all ? Output::Sent : Output::Failed;
}

void ChannelConnection::writeMore() {
    const Output out = flush();
    if (out == Output::Failed || (out == Output::Sent && m_last))
        m_finished();
}

void ChannelConnection::close() {
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    deleteLater();
}

} // namespace tanzo
