// Kills a process that keeps saving (SIGKILL, at random moments) and checks
// that the file is always exactly one complete content: never a mixture, a
// cut or an empty file.
#include "CrashLists.h"

#include "core/SettingsRepository.h"
#include "platform/RegistryStore.h"
#include "schedule/DataFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tanzo {
namespace {

constexpr int kKills = 200;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray encodeAll(const DayList& list) {
    QByteArray bytes;
    for (const ScheduleEntry& e : list)
        bytes += encodeEntryLine(e);
    return bytes;
}

QByteArray settingsBytes(const QString& path, bool second) {
    RegistryStore store(path);
    SettingsRepository repository(store);
    EXPECT_TRUE(repository.writeAllSettings(crash::settings(second), false));
    return readAll(path);
}

// Starts the writer, waits until its first save is done, lets it run on for
// a random moment and kills it. False when the writer did not come up.
bool runAndKill(const char* mode, const QString& path, std::mt19937& random) {
    int out[2];
    if (pipe(out) != 0)
        return false;
    const QByteArray file = path.toLocal8Bit();
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(TANZO_CRASH_WRITER, TANZO_CRASH_WRITER, mode, file.constData(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    const auto forked = std::chrono::steady_clock::now();
    pollfd ready{out[0], POLLIN, 0};
    char byte = 0;
    const bool started = poll(&ready, 1, 30000) == 1 && read(out[0], &byte, 1) == 1;
    if (started) {
        // Anywhere from at once to a few saves later, however long a save
        // takes on this machine (the first one, with the start, a bit more).
        const auto firstSave = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - forked);
        std::uniform_int_distribution<long> micros(0, 2 * firstSave.count() + 1000);
        usleep(static_cast<useconds_t>(micros(random)));
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(out[0]);
    return started;
}

struct Contents {
    QByteArray first;
    QByteArray second;
};

void killRepeatedly(const char* mode, const QString& path, const Contents& contents) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    int sawFirst = 0;
    int sawSecond = 0;
    for (int i = 0; i < kKills; ++i) {
        ASSERT_TRUE(runAndKill(mode, path, random)) << "the writer did not start";
        const QByteArray now = readAll(path);
        if (now == contents.first) {
            ++sawFirst;
        } else if (now == contents.second) {
            ++sawSecond;
        } else {
            FAIL() << "kill " << i << " left " << now.size() << " bytes, neither content ("
                   << contents.first.size() << " or " << contents.second.size() << ")";
        }
    }
    // Both contents showing up means the kills did land during the saving.
    EXPECT_GT(sawFirst, 0);
    EXPECT_GT(sawSecond, 0);
}

TEST(CrashSafety, KilledWhileSavingTheDataFileLeavesTheOldOrTheNewFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TANZO.DAT"));
    const Contents contents{encodeAll(crash::dayList(false)), encodeAll(crash::dayList(true))};
    DataFile file(path);
    ASSERT_TRUE(file.save(crash::dayList(false)));
    ASSERT_EQ(readAll(path), contents.first);
    killRepeatedly("data", path, contents);

    // What is left reads cleanly.
    DayList list;
    EXPECT_TRUE(file.load(list, QDate(2027, 3, 15)));
    EXPECT_TRUE(file.lastLoad().ok);
}

TEST(CrashSafety, KilledWhileSavingTheSettingsLeavesTheOldOrTheNewFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.reg"));
    // The file starts with the first content; the second is made elsewhere.
    const Contents contents{settingsBytes(path, false),
                            settingsBytes(dir.filePath(QStringLiteral("second.reg")), true)};
    ASSERT_NE(contents.first, contents.second);
    killRepeatedly("settings", path, contents);

    RegistryStore store(path);
    ASSERT_TRUE(store.load());
    EXPECT_FALSE(store.damaged());
}

} // namespace
} // namespace tanzo
