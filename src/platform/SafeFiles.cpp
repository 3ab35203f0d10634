#include "SafeFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#include <unistd.h>

namespace tanzo {

QString freeCopyName(const QString& base) {
    if (!QFileInfo::exists(base))
        return base;
    for (int n = 1;; ++n) {
        const QString candidate = base + QLatin1Char('.') + QString::number(n);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

bool commitWhole(QSaveFile& file) {
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    const int fd = file.handle();
    if (fd >= 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool copyWhole(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return false;
    QSaveFile copy(to);
    copy.setDirectWriteFallback(false);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size()) {
        copy.cancelWriting();
        return false;
    }
    return commitWhole(copy);
}

} // namespace tanzo
