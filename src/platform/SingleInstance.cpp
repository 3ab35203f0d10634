#include "SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace tanzo {

SingleInstance::SingleInstance(QString lockPath) : m_path(std::move(lockPath)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryAcquire() {
    if (m_lock && m_lock->isLocked())
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a lock whose owner is gone counts as stale: a long-running first
    // instance must never be taken over because its lock is old.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() == QLockFile::LockFailedError)
        return false;
    // The lock cannot be made at all (no permission, no such directory).
    // That says nothing about another instance, and ending silently here
    // would leave the program impossible to start.
    qWarning("tanzo: cannot create the instance lock %s", qPrintable(m_path));
    return true;
}

QString SingleInstance::defaultLockPath() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/tanzo.lock");
    // The temporary directory is shared between users: keep one lock each.
    return QDir::tempPath() + QStringLiteral("/tanzo-%1.lock").arg(getuid());
}

} // namespace tanzo
