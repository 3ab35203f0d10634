#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace tanzo {

// A lock file, which a run that crashed does not leave blocking (QLockFile
// detects a stale lock). Two are used, both beside the data file, so that
// one data file has one writer whatever the session, runtime directory or
// login: the board's instance lock, held while a board runs, refuses a
// second board; the write lock, held by whoever writes the data file (a
// board, or a command line run without one), keeps two writers from running
// at once.
class SingleInstance {
public:
    explicit SingleInstance(QString lockPath);
    ~SingleInstance();

    // True when this process now holds the lock, waiting up to `waitMs` for
    // another holder to let go.
    bool tryAcquire(int waitMs = 0);
    void release();

    // The board's instance lock for a data file: beside the file its path
    // really leads to (TANZO.DAT.lock).
    static QString lockPathFor(const QString& dataFile);
    // The write lock beside an instance lock.
    static QString writeLockPath(const QString& instanceLockPath);

private:
    // Seconds after which a lock file that names no owner is taken over.
    static constexpr int kOwnerlessSeconds = 5;
    bool ownerlessLockLeftBehind() const;

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tanzo
