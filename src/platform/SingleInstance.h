#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace tanzo {

// Refuses a second running instance: a per-user lock file, which a run that
// crashed does not leave blocking (QLockFile detects a stale lock).
class SingleInstance {
public:
    explicit SingleInstance(QString lockPath);
    ~SingleInstance();

    // True when this process is the only instance (and now holds the lock).
    bool tryAcquire();

    // The lock in the private runtime directory; empty when there is none.
    static QString defaultLockPath();

private:
    // Seconds after which a lock file that names no owner is taken over.
    static constexpr int kOwnerlessSeconds = 5;
    bool ownerlessLockLeftBehind() const;

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tanzo
