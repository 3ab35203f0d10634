#include "FileVersion.h"

#include <QCryptographicHash>
#include <QFile>

#include <sys/stat.h>

namespace tanzo {
namespace {
FileVersion::Stamp fromStat(const struct stat& st) {
    FileVersion::Stamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<quint64>(st.st_dev);
    stamp.inode = static_cast<quint64>(st.st_ino);
    stamp.size = static_cast<qint64>(st.st_size);
    stamp.modifiedNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

// The digest of a file's content; empty when it cannot be read.
QByteArray digestOfFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}
} // namespace

FileVersion::Stamp FileVersion::stampOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return fromStat(st);
}

FileVersion::Stamp FileVersion::stampOf(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    return fromStat(st);
}

QByteArray FileVersion::digestOf(const QByteArray& content) {
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256);
}

void FileVersion::remember(const Stamp& stamp, const QByteArray& digest) {
    m_stamp = stamp;
    m_digest = digest;
    m_known = true;
}

bool FileVersion::changedOnDisk(const QString& path) {
    const Stamp now = stampOf(path);
    if (m_known && now == m_stamp)
        return false;
    const QByteArray digest = now.exists ? digestOfFile(path) : QByteArray();
    if (m_known && digest == m_digest) {
        // Touched, or written again with the same bytes.
        m_stamp = now;
        return false;
    }
    return true;
}

} // namespace tanzo
