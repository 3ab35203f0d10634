#include "SocketListener.h"

#include "ChannelConnection.h"
#include "PeerCheck.h"

#include <QFile>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tanzo {
namespace {

// Taken from the queue at one go, so that answers are not held up by a
// crowd of new connections.
constexpr int kAcceptBatch = 32;
// After running out of descriptors, new connections wait this long in the
// kernel's queue, where they cost the board nothing.
constexpr int kOutOfDescriptorsPauseMs = 500;
// An answer that the peer does not read is let go after this long.
constexpr int kAnswerReadMs = 10000;
constexpr int kSweepMs = 500;
// How often the socket file is looked at; a board whose file was removed
// is out of reach until then.
constexpr int kFileCheckMs = 3000;

} // namespace

SocketListener::SocketListener(RequestHandler handler) : m_handler(std::move(handler)) {
    m_sweep.setInterval(kSweepMs);
    QObject::connect(&m_sweep, &QTimer::timeout, &m_context, [this] { dropLate(); });
    m_fileCheck.setInterval(kFileCheckMs);
    QObject::connect(&m_fileCheck, &QTimer::timeout, &m_context, [this] { checkSocketFile(); });
    m_resume.setSingleShot(true);
    QObject::connect(&m_resume, &QTimer::timeout, &m_context, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

SocketListener::~SocketListener() {
    for (auto& [id, connection] : m_connections)
        delete connection.link;
    m_connections.clear();
    closeSocket();
}

bool SocketListener::listen(const QString& path) {
    m_path = path;
    if (!bindSocket())
        return false;
    m_fileCheck.start();
    return true;
}

bool SocketListener::bindSocket() {
    const QByteArray native = QFile::encodeName(m_path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || static_cast<size_t>(native.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ::unlink(native.constData());
    struct stat st {};
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(native.constData(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
        ::lstat(native.constData(), &st) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_device = st.st_dev;
    m_inode = st.st_ino;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &m_context);
    QObject::connect(m_notifier, &QSocketNotifier::activated, &m_context,
                     [this] { acceptPending(); });
    return true;
}

void SocketListener::closeSocket() {
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd < 0)
        return;
    // Only our own file: never another's socket put in its place.
    if (socketFileIsOurs())
        ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

bool SocketListener::socketFileIsOurs() const {
    struct stat st {};
    return ::lstat(QFile::encodeName(m_path).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
           st.st_dev == m_device && st.st_ino == m_inode;
}

void SocketListener::checkSocketFile() {
    if (m_fd >= 0 && socketFileIsOurs())
        return;
    qWarning("tanzo: the command socket %s was gone; making it again", qPrintable(m_path));
    closeSocket();
    if (!bindSocket())
        qWarning("tanzo: cannot listen for commands on %s", qPrintable(m_path));
}

void SocketListener::acceptPending() {
    for (int n = 0; n < kAcceptBatch; ++n) {
        if (static_cast<int>(m_connections.size()) >= kMaxConnections && !dropOldestSilent()) {
            // Every slot holds a request being read or answered: the next
            // connection waits in the queue until one is free.
            m_notifier->setEnabled(false);
            return;
        }
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            adopt(fd);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        // Out of descriptors or memory: the socket stays, and the queue
        // waits a moment while a silent connection makes room.
        if (!m_toldOutOfDescriptors)
            qWarning("tanzo: cannot take a command connection: %s", std::strerror(errno));
        m_toldOutOfDescriptors = true;
        dropOldestSilent();
        pauseAccepting(kOutOfDescriptorsPauseMs);
        return;
    }
}

void SocketListener::pauseAccepting(int ms) {
    m_notifier->setEnabled(false);
    m_resume.start(ms);
}

bool SocketListener::adopt(int fd) {
    if (!peerIsThisUser(fd)) {
        ::close(fd);
        return false;
    }
    const quint64 id = ++m_accepted;
    auto* link = new ChannelConnection(
        fd, [this, id] { readRequest(id); }, [this, id] { drop(id); });
    m_connections[id] = {link, QDeadlineTimer(kRequestMs), Stage::Waiting};
    if (!m_sweep.isActive())
        m_sweep.start();
    return true;
}

bool SocketListener::dropOldestSilent() {
    // The map runs from the oldest.
    for (const auto& [id, connection] : m_connections) {
        if (connection.stage == Stage::Waiting && connection.link->sentNothing()) {
            drop(id);
            return true;
        }
    }
    return false;
}

void SocketListener::readRequest(quint64 id) {
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    ChannelConnection* link = it->second.link;
    if (it->second.stage != Stage::Waiting) {
        // One request a connection; the rest is not ours.
        if (link->discardInput() == ChannelConnection::Input::Closed)
            drop(id);
        return;
    }
    // A peer that sent too much is not a command line of ours. One that
    // hung up after its request gave up while the board was busy (or
    // stopped): acting now would do what it has already reported as not
    // done.
    if (link->readInput(kMaxChannelRequestBytes) != ChannelConnection::Input::Open) {
        drop(id);
        return;
    }
    const std::optional<QByteArray> line = link->takeLine();
    if (!line)
        return;
    it->second.stage = Stage::Working;
    const QPointer<QObject> alive(&m_context);
    m_handler(*line, [this, alive, id](const QByteArray& reply) {
        // The listener may be gone by the time a late answer comes.
        if (alive)
            answer(id, reply);
    });
}

void SocketListener::answer(quint64 id, const QByteArray& line) {
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    if (line.isEmpty()) {
        drop(id);
        return;
    }
    const bool last = line != kChannelTakenMark;
    if (last) {
        it->second.stage = Stage::Answered;
        it->second.requestDue = QDeadlineTimer(kAnswerReadMs);
    }
    // A slow reader gets the rest as it makes room; one that has gone is
    // let go.
    const ChannelConnection::Output out = it->second.link->send(line, last);
    if (out == ChannelConnection::Output::Failed ||
        (last && out == ChannelConnection::Output::Sent))
        drop(id);
}

void SocketListener::drop(quint64 id) {
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    // Closed now, so that the descriptor is free for the next peer.
    it->second.link->close();
    m_connections.erase(it);
    if (m_connections.empty())
        m_sweep.stop();
    if (m_notifier && !m_notifier->isEnabled() && !m_resume.isActive())
        m_notifier->setEnabled(true);
}

void SocketListener::dropLate() {
    std::vector<quint64> late;
    for (const auto& [id, connection] : m_connections) {
        if (connection.stage != Stage::Working && connection.requestDue.hasExpired())
            late.push_back(id);
    }
    for (const quint64 id : late)
        drop(id);
}

} // namespace tanzo
