#pragma once

#include "platform/SingleInstance.h"

#include <QString>

#include <future>

namespace tanzo {

// The two locks a running board holds beside its data file: the instance
// lock, which refuses a second board, and the write lock, which lets a
// command line that is writing the file without a board finish first. Each
// is written through to the disk, the slowest step before the board can
// show, so they are taken on a worker while the board's window is built.
class BoardLocks {
public:
    // An empty write lock path: beside the instance lock.
    BoardLocks(const QString& instanceLockPath, const QString& writeLockPath);
    ~BoardLocks();
    BoardLocks(const BoardLocks&) = delete;
    BoardLocks& operator=(const BoardLocks&) = delete;

    // Starts taking the locks, the instance lock first.
    void takeInBackground();
    // Waits until they are taken; false when another board holds the
    // instance lock (the write lock is then not asked for).
    bool held();

private:
    bool take();

    SingleInstance m_instance;
    SingleInstance m_writeLock;
    bool m_heldResult = false;
    // Last, so that it is waited for before the locks go.
    std::future<bool> m_taken;
};

} // namespace tanzo
