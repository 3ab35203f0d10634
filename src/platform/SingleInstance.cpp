#include "SingleInstance.h"

#include "SafeFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace tanzo {

SingleInstance::SingleInstance(QString lockPath) : m_path(std::move(lockPath)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryAcquire(int waitMs) {
    if (m_lock && m_lock->isLocked())
        return true;
    if (m_path.isEmpty()) {
        qWarning("tanzo: no place for the lock %s", qPrintable(m_path));
        return true;
    }
    makePrivateDirectory(QFileInfo(m_path).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a lock whose owner is gone counts as stale: a long-running first
    // instance must never be taken over because its lock is old.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(waitMs))
        return true;
    if (m_lock->error() == QLockFile::LockFailedError) {
        if (!ownerlessLockLeftBehind())
            return false;
        // Nobody can own it: take it over.
        m_lock->removeStaleLockFile();
        if (m_lock->tryLock(0))
            return true;
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
    }
    // The lock cannot be made at all (no permission, no such directory).
    // That says nothing about another instance, and ending silently here
    // would leave the program impossible to start.
    qWarning("tanzo: cannot create the instance lock %s", qPrintable(m_path));
    return true;
}

bool SingleInstance::ownerlessLockLeftBehind() const {
    qint64 pid = 0;
    QString host;
    QString app;
    if (m_lock->getLockInfo(&pid, &host, &app))
        return false; // names its owner, who was found alive
    // A lock that names no owner (empty or garbled: a crash or a power cut
    // between creating the file and filling it) is never found stale by its
    // owner's absence, and with no age limit it would block every later
    // start for good. A starting instance fills its lock within moments, so
    // one that stays ownerless for a while is left over.
    const QDateTime modified = QFileInfo(m_path).lastModified();
    return modified.isValid() && modified.secsTo(QDateTime::currentDateTime()) > kOwnerlessSeconds;
}

void SingleInstance::release() {
    if (m_lock)
        m_lock->unlock();
}

QString SingleInstance::writeLockPath(const QString& instanceLockPath) {
    if (instanceLockPath.isEmpty())
        return {};
    QString path = instanceLockPath;
    if (path.endsWith(QStringLiteral(".lock")))
        path.chop(5);
    return path + QStringLiteral("-write.lock");
}

QString SingleInstance::lockPathFor(const QString& dataFile) {
    // The file's real path: a link to it, or a folder reached another way,
    // leads to the same lock.
    const QFileInfo file(dataFile);
    QString real = file.canonicalFilePath();
    if (real.isEmpty()) {
        const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
        real =
            (folder.isEmpty() ? file.absolutePath() : folder) + QLatin1Char('/') + file.fileName();
    }
    return real + QStringLiteral(".lock");
}

} // namespace tanzo
