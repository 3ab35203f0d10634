#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <unistd.h>

namespace tanzo {

// A real, nearly full file system: a small tmpfs mounted for the test, when
// this user may mount one (the superuser with the right to mount).
class SmallFileSystem {
public:
    explicit SmallFileSystem(const QString& path, const QString& size = QStringLiteral("128k"))
        : m_path(path) {
        QDir().mkpath(path);
        if (geteuid() != 0)
            return;
        m_mounted =
            QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QStringLiteral("size=") + size, QStringLiteral("tmpfs"), path}) == 0;
    }
    ~SmallFileSystem() {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_path});
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }

    // Takes every free block but `spareBytes` (held in a second filler that
    // spare() gives back).
    void fill(qint64 spareBytes) const {
        writeUntilFull(m_path + QStringLiteral("/spare"), spareBytes);
        writeUntilFull(m_path + QStringLiteral("/filler"), -1);
    }
    void spare() const { QFile::remove(m_path + QStringLiteral("/spare")); }
    void drain() const {
        spare();
        QFile::remove(m_path + QStringLiteral("/filler"));
    }

private:
    static void writeUntilFull(const QString& path, qint64 limit) {
        QFile file(path);
        if (limit == 0 || !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'x');
        qint64 written = 0;
        while ((limit < 0 || written < limit) && file.write(block) == block.size())
            written += block.size();
    }

    QString m_path;
    bool m_mounted = false;
};

} // namespace tanzo
