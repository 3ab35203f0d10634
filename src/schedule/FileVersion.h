#pragma once

#include <QByteArray>
#include <QString>

namespace tanzo {

// What a file was when this program last read or wrote it, so that it can
// tell before writing whether someone else has written it since. The
// file's identity, size and modification time answer cheaply; only when
// they differ is the content read and compared, so a touch that changed
// nothing does not count as a change.
class FileVersion {
public:
    struct Stamp {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };

    static Stamp stampOf(const QString& path);
    // The same for an open file (before it is renamed into place).
    static Stamp stampOf(int fd);
    static QByteArray digestOf(const QByteArray& content);

    void remember(const Stamp& stamp, const QByteArray& digest);
    // The file as absent, or as something that could not be read.
    void rememberAbsent() { remember(Stamp{}, QByteArray()); }
    // True when the file at `path` is no longer what was remembered.
    bool changedOnDisk(const QString& path);
    // The cheap half of that: false only when the file is surely unchanged.
    bool mayHaveChanged(const QString& path) const { return !m_known || stampOf(path) != m_stamp; }

private:
    Stamp m_stamp;
    QByteArray m_digest;
    bool m_known = false;
};

} // namespace tanzo
