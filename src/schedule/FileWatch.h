#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

namespace tanzo {

// Tells when a file may have been changed by another program: editors and
// sync tools write in several steps (truncate, write, rename), so settled()
// comes once the file and its folder have been quiet for a moment. The
// folder is watched too, as renaming a new file over the old one ends the
// watch on the old file.
class FileWatch : public QObject {
    Q_OBJECT
public:
    explicit FileWatch(const QString& path, QObject* parent = nullptr);

    // Touches seen so far need no settled(): the file has just been read.
    void forgetTouches();

signals:
    void settled();

private:
    void noteTouch();

    QString m_path;
    QFileSystemWatcher* m_watcher;
    QTimer* m_settle;
};

} // namespace tanzo
