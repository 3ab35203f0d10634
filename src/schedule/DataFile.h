#pragma once

#include "DataFileLines.h"
#include "FileVersion.h"
#include "ScheduleEntry.h"
#include "platform/AtomicWriter.h"

#include <QCryptographicHash>

#include <QByteArray>
#include <QDate>
#include <QString>

#include <memory>
#include <optional>

namespace tanzo {

// The data file TANZO.DAT: reading into the day list, writing the whole list
// or entry by entry. Writes are atomic: the previous file stays whole until
// the new one is complete. When the last read of the file left lines out
// (damaged lines, or more entries than the list holds), the file's original
// content is first kept beside it as TANZO.DAT.bak before it is overwritten,
// so nothing the user typed is lost.
class DataFile {
public:
    using LoadReport = DataFileLoadReport;

    explicit DataFile(QString path, AtomicWriterFactory writers = makeSaveFileWriter);

    QString path() const { return m_path; }

    // Rebuilds the list from the file (entries dated today
    // minus six days or later), then orders it. Returns false when a line
    // could not be read; every other line is still in the list.
    bool load(DayList& list, const QDate& today);

    // The same in two steps, so that a large file can be read in a worker
    // thread: read() touches no object, adopt() takes its result as load()
    // would.
    struct Reading {
        DayList list;
        LoadReport report;
        bool needsBackup = false;
        FileVersion::Stamp stamp; // of the file read; absent when there was none
        QByteArray digest;
    };
    static Reading read(const QString& path, const QDate& today);
    void adopt(Reading&& reading, DayList& list);
    // The same reading rules over the file's bytes, already read.
    bool loadBytes(const QByteArray& bytes, DayList& list, const QDate& today);
    const LoadReport& lastLoad() const { return m_report; }
    // True when the last read did not take the whole file (damage, text in
    // another encoding, or surplus entries); the next write first keeps a
    // backup.
    bool needsBackupBeforeWrite() const { return m_needsBackup; }
    QString backupPath() const { return m_path + QStringLiteral(".bak"); }
    // The copy made before the last overwrite: backupPath(), or, when that
    // already existed, backupPath() + ".1", ".2", ... (no copy is replaced).
    QString lastBackupPath() const { return m_lastBackup; }
    // Where the next overwrite would keep the file's content.
    QString nextBackupPath() const;

    // What the user is to be told about the last read: empty when it took
    // the whole file, or when the same loss was told already and the file
    // has not been written since. Each loss is given out once.
    QString takeLoadNotice();

    // Writes the whole list.
    bool save(const DayList& list);

    // True when someone else has written the file since this object last
    // read or wrote it (or it has not been read yet).
    bool changedOnDisk() { return m_version.changedOnDisk(m_path); }
    bool mayHaveChangedOnDisk() const { return m_version.mayHaveChanged(m_path); }

    // Entry-by-entry writing for the schedule editor. The new content
    // replaces the file only when commit() succeeds; abandon() (or
    // destroying the writer) leaves the previous file untouched.
    class Writer {
    public:
        ~Writer();
        bool write(const ScheduleEntry& entry);
        bool commit();
        void abandon();

    private:
        friend class DataFile;
        explicit Writer(DataFile& owner);
        DataFile& m_owner;
        std::unique_ptr<AtomicWriter> m_file;
        QCryptographicHash m_digest{QCryptographicHash::Sha256};
        bool m_failed = false;
    };
    // Returns nullptr when the file cannot be opened for writing.
    std::unique_ptr<Writer> openForWrite();

private:
    static void takeLines(DataFileLines&& lines, Reading& reading);
    void takeContent(Reading&& reading, DayList& list);
    bool keepBackup();
    void noteLoss();

    QString m_path;
    AtomicWriterFactory m_writers;
    LoadReport m_report;
    bool m_needsBackup = false;
    QString m_lastBackup;
    bool m_noticePending = false;
    std::optional<LoadReport> m_told; // the loss told since the last write
    FileVersion m_version;            // the file as last read or written
};

} // namespace tanzo
