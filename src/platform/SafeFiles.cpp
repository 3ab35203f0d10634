#include "SafeFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
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
    if (!openPrivately(copy) || copy.write(bytes) != bytes.size()) {
        copy.cancelWriting();
        return false;
    }
    return commitWhole(copy);
}

bool makePrivateDirectory(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList missing;
    for (QString at = absolute; !at.isEmpty() && !QFileInfo::exists(at);
         at = QFileInfo(at).path()) {
        if (at == QFileInfo(at).path())
            break;
        missing.prepend(at);
    }
    for (const QString& directory : missing) {
        // Another process may make it at the same moment; what counts is
        // that it is there.
        if (::mkdir(QFile::encodeName(directory).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return QFileInfo(absolute).isDir();
}

bool openPrivately(QSaveFile& file) {
    const bool existed = QFileInfo::exists(file.fileName());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The temporary file becomes the file: its mode is the file's.
    if (!existed)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

RegularFileRead readRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes) {
    // Non-blocking, so that opening a FIFO returns at once; fstat then
    // judges what was opened, not what the name pointed to a moment before.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? RegularFileRead::Missing
                                                   : RegularFileRead::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return RegularFileRead::NotRegular;
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        return RegularFileRead::TooLarge;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return RegularFileRead::Failed;
    }
    // The file may grow while it is read.
    *bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return RegularFileRead::Failed;
    return bytes->size() > maxBytes ? RegularFileRead::TooLarge : RegularFileRead::Read;
}

} // namespace tanzo
