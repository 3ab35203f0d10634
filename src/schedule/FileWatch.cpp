#include "FileWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace tanzo {
namespace {
// How long the file must be quiet before it is read.
constexpr int kSettleMs = 300;
} // namespace

FileWatch::FileWatch(const QString& path, QObject* parent)
    : QObject(parent), m_path(QFileInfo(path).absoluteFilePath()),
      m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this)) {
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, &FileWatch::settled);
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    if (QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FileWatch::noteTouch);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileWatch::noteTouch);
}

void FileWatch::forgetTouches() {
    m_settle->stop();
}

void FileWatch::noteTouch() {
    // A file made anew (or renamed into place) is watched from now on.
    if (!m_watcher->files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
    m_settle->start();
}

} // namespace tanzo
