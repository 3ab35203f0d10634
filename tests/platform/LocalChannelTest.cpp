#include "platform/LocalChannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tanzo {
namespace {

// Far more than a local socket's buffer, so that the answer goes out in
// pieces as the peer reads.
const QByteArray kLongAnswer = QByteArray(8 * 1024 * 1024, 'x') + '\n';

struct Board {
    int argc = 1;
    char name[16] = "channel_test";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("commands"));

    // Runs the event loop until `done` or five seconds have passed.
    template <typename Done> bool serveUntil(Done done) {
        const QDeadlineTimer due(5000);
        while (!done() && !due.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    }
};

int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).count());
}

int connectRaw(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What the command line makes of each way the board can deal with its
// request.
TEST(LocalChannel, TheSenderLearnsWhatBecameOfItsRequest) {
    using Outcome = ChannelExchange::Outcome;
    enum class Way { Answers, AnswersLong, Refuses, TakesAndIsSilent, Absent };
    const struct {
        const char* what;
        Way board;
        Outcome outcome;
        QByteArray answer;
    } cases[] = {
        {"answered", Way::Answers, Outcome::Answered, "{\"status\":0}\n"},
        {"a long answer arrives whole", Way::AnswersLong, Outcome::Answered, kLongAnswer},
        {"refused unanswered", Way::Refuses, Outcome::NotTaken, {}},
        {"taken, then no answer in time", Way::TakesAndIsSilent, Outcome::Taken, {}},
        {"nothing listens", Way::Absent, Outcome::NoListener, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Board board;
        QByteArray received;
        auto listener = createChannelListener(
            [&](const QByteArray& line, const ChannelListener::Answer& answer) {
                received = line;
                if (c.board == Way::Refuses) {
                    answer({});
                    return;
                }
                answer(kChannelTakenMark);
                if (c.board == Way::Answers || c.board == Way::AnswersLong)
                    answer(c.answer);
            });
        ASSERT_TRUE(listener);
        if (c.board != Way::Absent) {
            ASSERT_TRUE(listener->listen(board.path));
        }
        auto sent = std::async(std::launch::async, [&] {
            return exchangeOverChannel(board.path, "{\"kind\":0}\n", channelClockMs() + 1500);
        });
        ASSERT_TRUE(board.serveUntil(
            [&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        const ChannelExchange result = sent.get();
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.answer.size(), c.answer.size());
        EXPECT_TRUE(result.answer == c.answer);
        if (c.board != Way::Absent) {
            EXPECT_EQ(received, "{\"kind\":0}\n");
        }
    }
}

// A peer that hangs up while a long answer is going out, one that stops
// reading before its answer (the write fails), or one whose answer comes after
// the listener is gone: the board neither dies (of a broken pipe or
// otherwise) nor keeps a descriptor.
TEST(LocalChannel, APeerThatGoesMidAnswerCostsNothing) {
    Board board;
    ChannelListener::Answer late;
    int requests = 0;
    auto listener =
        createChannelListener([&](const QByteArray&, const ChannelListener::Answer& answer) {
            if (++requests <= 2) {
                answer(kChannelTakenMark);
                answer(kLongAnswer);
            } else {
                late = answer;
            }
        });
    ASSERT_TRUE(listener && listener->listen(board.path));
    const int before = openDescriptors();

    for (const bool hangsUp : {true, false}) {
        SCOPED_TRACE(hangsUp ? "hangs up" : "stops reading");
        const int fd = connectRaw(board.path);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "{}\n", 3), 3);
        // Before the board has read the request: its first write fails.
        if (!hangsUp)
            ::shutdown(fd, SHUT_RD);
        std::atomic<bool> gone = false;
        std::thread peer([&] {
            char some[4096];
            if (hangsUp) {
                EXPECT_GT(::read(fd, some, sizeof some), 0);
                ::close(fd);
            }
            gone = true;
        });
        ASSERT_TRUE(board.serveUntil([&] { return gone.load(); }));
        peer.join();
        // The board has taken the request (until then the peer's own
        // descriptor alone would make the count look right).
        ASSERT_TRUE(board.serveUntil([&] { return requests == (hangsUp ? 1 : 2); }));
        const int left = hangsUp ? before : before + 1;
        EXPECT_TRUE(board.serveUntil([&] { return openDescriptors() == left; }))
            << openDescriptors() - left << " descriptors left open";
        if (!hangsUp)
            ::close(fd);
    }

    const int fd = connectRaw(board.path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "{}\n", 3), 3);
    ASSERT_TRUE(board.serveUntil([&] { return static_cast<bool>(late); }));
    listener.reset();
    late(kLongAnswer);
    ::close(fd);
}

} // namespace
} // namespace tanzo
