#include "RuntimeDirectory.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tanzo {
namespace {

// lstat: a symbolic link is never taken, wherever it points.
bool isPrivateDirectory(const QString& path) {
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    return !path.isEmpty() && QDir::isAbsolutePath(path) && ::lstat(native.constData(), &st) == 0 &&
           S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0077) == 0;
}

} // namespace

QString privateRuntimeDirectory(QString* error) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateDirectory(runtime))
        return QDir::cleanPath(runtime);
    const QString own =
        QDir::tempPath() + QStringLiteral("/tanzo-%1").arg(static_cast<qulonglong>(::geteuid()));
    const QByteArray native = QFile::encodeName(own);
    // mkdir fails on anything already there; what is there must then pass
    // the same check as a directory made now.
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("作業用のディレクトリ %1 を作れません。").arg(own);
        return {};
    }
    if (!isPrivateDirectory(own)) {
        if (error)
            *error = QStringLiteral("%1 がこのユーザーだけのディレクトリ（所有者が本人で"
                                    "モード0700）ではないため、使えません。")
                         .arg(own);
        return {};
    }
    return own;
}

} // namespace tanzo
