#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace tanzo {
namespace {

TEST(SingleInstance, SecondInstanceIsRefusedWhileTheFirstRuns) {
    QTemporaryDir dir;
    const QString lock = dir.filePath("run/tanzo.lock");
    auto first = std::make_unique<SingleInstance>(lock);
    ASSERT_TRUE(first->tryAcquire());
    EXPECT_TRUE(first->tryAcquire()); // asking again does not lose the lock

    SingleInstance second(lock);
    EXPECT_FALSE(second.tryAcquire());
    first.reset();
    EXPECT_TRUE(second.tryAcquire());
}

TEST(SingleInstance, LockLeftByACrashedRunDoesNotBlock) {
    QTemporaryDir dir;
    const QString lock = dir.filePath("tanzo.lock");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile held(lock);
        _exit(held.tryLock(0) ? 0 : 1); // ends without unlocking, as a crash would
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(QFile::exists(lock));

    SingleInstance instance(lock);
    EXPECT_TRUE(instance.tryAcquire());
}

TEST(SingleInstance, LockThatCannotBeMadeDoesNotPreventStarting) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("not-a-directory"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SingleInstance instance(dir.filePath("not-a-directory/tanzo.lock"));
    EXPECT_TRUE(instance.tryAcquire());

    // Without a lock path there is no lock at all, and the write lock is
    // not made relative to wherever the program was started.
    EXPECT_TRUE(SingleInstance::writeLockPath(QString()).isEmpty());
    EXPECT_TRUE(SingleInstance(QString()).tryAcquire());
}

// Whatever path leads to the data file (a link to it, a linked folder), its
// lock is one file beside it, so two boards never share a data file.
TEST(SingleInstance, OneDataFileHasOneLockWhicheverPathLeadsToIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("data"));
    QFile data(dir.filePath("data/TANZO.DAT"));
    ASSERT_TRUE(data.open(QIODevice::WriteOnly));
    data.close();
    ASSERT_TRUE(QFile::link(dir.filePath("data"), dir.filePath("linked-folder")));
    ASSERT_TRUE(QFile::link(dir.filePath("data/TANZO.DAT"), dir.filePath("LINK.DAT")));
    const QString lock = SingleInstance::lockPathFor(dir.filePath("data/TANZO.DAT"));
    EXPECT_EQ(QFileInfo(lock).dir().canonicalPath(), QDir(dir.filePath("data")).canonicalPath());
    EXPECT_EQ(SingleInstance::lockPathFor(dir.filePath("linked-folder/TANZO.DAT")), lock);
    EXPECT_EQ(SingleInstance::lockPathFor(dir.filePath("LINK.DAT")), lock);
    // A file not made yet: beside where it will be.
    EXPECT_EQ(SingleInstance::lockPathFor(dir.filePath("linked-folder/NEW.DAT")),
              QFileInfo(lock).dir().filePath("NEW.DAT.lock"));

    SingleInstance first(lock);
    ASSERT_TRUE(first.tryAcquire());
    SingleInstance second(SingleInstance::lockPathFor(dir.filePath("LINK.DAT")));
    EXPECT_FALSE(second.tryAcquire());
}

} // namespace
} // namespace tanzo
