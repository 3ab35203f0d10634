#include "BoardLocks.h"

namespace tanzo {
namespace {
// How long a starting board waits for a command line that is writing the
// data file without a board; such a write takes a moment.
constexpr int kWriteLockWaitMs = 5000;
} // namespace

BoardLocks::BoardLocks(const QString& instanceLockPath, const QString& writeLockPath)
    : m_instance(instanceLockPath),
      m_writeLock(writeLockPath.isEmpty() ? SingleInstance::writeLockPath(instanceLockPath)
                                          : writeLockPath) {}

BoardLocks::~BoardLocks() {
    if (m_taken.valid())
        m_taken.wait();
}

void BoardLocks::takeInBackground() {
    m_taken = std::async(std::launch::async, [this] { return take(); });
}

bool BoardLocks::held() {
    if (m_taken.valid())
        m_heldResult = m_taken.get();
    return m_heldResult;
}

bool BoardLocks::take() {
    if (!m_instance.tryAcquire())
        return false;
    if (!m_writeLock.tryAcquire(kWriteLockWaitMs))
        qWarning("tanzo: a command line still holds the data file's write lock; starting anyway");
    return true;
}

} // namespace tanzo
