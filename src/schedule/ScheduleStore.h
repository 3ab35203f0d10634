#pragma once

#include "DataFile.h"
#include "ReadOnlyNotices.h"
#include "ScheduleEntry.h"
#include "ScheduleMerge.h"

#include <QByteArray>
#include <QDate>
#include <QObject>
#include <QString>

#include <vector>

namespace tanzo {

class Clock;
class FileWatch;

// A notice flag to set on one entry of the list.
struct NoticeMark {
    int index = 0;
    bool arrived = false; // the start has been handled (and the advance notice with it)
    bool preNoticed = false;
};

// One of an event's own reminders: its moment (seconds since the epoch, at
// the start of its minute) and whether it has been given.
struct Reminder {
    qint64 at = 0;
    bool given = false;
};

// An appointment of a subscribed calendar: shown and announced like the
// user's own, never written to the data file.
struct ReadOnlyEntry {
    ScheduleEntry entry;
    QString source;                    // the subscription's name
    QString noticeKey;                 // its notice flags' key, the same across syncs and restarts
    bool allDay = false;               // no start time: shown first on its day, never announced
    QString description{};             // the first lines of the event's description
    std::vector<Reminder> reminders{}; // in time order
};

// The appointments in memory and the one reader and writer of their file,
// TANZO.DAT. Every change goes through a call here that writes the file
// (unless it came from it) and announces itself once with `changed`; the
// list is not handed out for writing. Nothing another program wrote is
// written over: before each write the store checks that the file is still
// what it last read or wrote, and if not reads it and makes its change on
// what it found. Changes other programs make are also picked up by
// watching the file, once watchFile() is called.
//
// Beside the user's own entries (entries(), what the file holds) it keeps
// a read-only set from calendar subscriptions. The board and the alarms see
// both merged in time order (view()); the editor, the export and the file
// see only the user's own.
class ScheduleStore : public QObject {
    Q_OBJECT
public:
    enum class Change {
        List,        // entries came, went or were replaced: views redraw
        NoticeFlags, // only notice flags were set: nothing a row shows changed
    };
    Q_ENUM(Change)

    // The data file is written through writers made by `writers`.
    ScheduleStore(QString dataFilePath, const Clock& clock,
                  AtomicWriterFactory writers = makeSaveFileWriter, QObject* parent = nullptr);
    ~ScheduleStore() override;

    const DayList& entries() const { return m_entries; }
    int lastIndex() const { return static_cast<int>(m_entries.size()) - 1; }
    QString path() const { return m_file.path(); }

    // The user's own entries and the read-only ones, in date and time
    // order (own first at the same minute); the placeholder when both are
    // empty. Indices of view() are what the board and the alarms use.
    const DayList& view() const { return m_view; }
    int viewLastIndex() const { return static_cast<int>(m_view.size()) - 1; }
    // The read-only entry at a view index; null for one of the user's own.
    const ReadOnlyEntry* readOnlyAt(int viewIndex) const;
    const std::vector<ReadOnlyEntry>& readOnlyEntries() const { return m_readOnly; }
    // Replaces the read-only set (a sync brought news). Their flags are the
    // owner's (see setReadOnlyNotices) when there is one; else they come
    // with them.
    void setReadOnlyEntries(std::vector<ReadOnlyEntry> entries);
    // Who keeps the read-only entries' notice flags; null: only the
    // entries in memory do. It must outlive the store or be unset first.
    void setReadOnlyNotices(ReadOnlyNotices* owner);

    // False until the file has been read once.
    bool isLoaded() const { return m_loaded; }

    // Reads the file afresh. Notice flags already set in memory stay set on
    // the entries that are still in the file, so a reload never brings back
    // a notice the user has seen. Returns false when the read found damage.
    bool load(const QDate& today);
    // Reads the file if it has not been read, or if another program has
    // changed it and the watcher has not yet picked that up.
    void ensureLoaded(const QDate& today);
    // The clock's read: like load(), but a large file (which only another
    // program can have written) is read in a worker thread and announced
    // when it is in, so that no notice waits on it. Nothing while such a
    // read is under way.
    void refresh(const QDate& today);

    // The schedule editor's OK: its lines, each with the appointment of
    // `base` (the list it showed) it came from, laid over the list as it
    // is now (see mergeEdit), in the editor's order. On success the list
    // is ordered as a load would order it.
    struct EditOutcome {
        bool ok = false;
        MergedEdit merged; // what was written, and where both sides changed
    };
    EditOutcome applyEdit(const DayList& base, const std::vector<EditedLine>& edited);
    // Appointments from the command line or an import, merged into the
    // list. Nothing changes unless the file was written.
    bool add(const std::vector<ScheduleEntry>& added);
    // Notices given: the flags are set in memory whatever happens, so that
    // no notice repeats; false when the file could not be written.
    bool markNotices(const std::vector<NoticeMark>& marks);
    // The same with indices of view(): flags of the user's own entries are
    // written to the file (only when there are any), those of read-only
    // entries told to their owner.
    bool markViewNotices(const std::vector<NoticeMark>& marks);
    // A reminder of the read-only appointment with this notice key was
    // given: told to the owner, and kept on the entry.
    void markReminder(const QString& noticeKey, qint64 at);
    // Writes the whole list, flags included (the exit).
    bool save();

    // What the user is to be told about the last read, once (see DataFile).
    QString takeLoadNotice() { return m_file.takeLoadNotice(); }
    const DataFile::LoadReport& lastLoad() const { return m_file.lastLoad(); }
    QString backupPath() const { return m_file.backupPath(); }

    // Starts watching the file for changes made by other programs.
    void watchFile();

signals:
    void changed(tanzo::ScheduleStore::Change what);

private:
    // Reads the file again when another program has written it since,
    // keeping the flags set in memory; true when it did.
    bool catchUpWithFile(const QDate& today);
    void readFile(const QDate& today);
    void readInBackground(const QDate& today);
    void takeReading(DataFile::Reading&& reading);
    bool write(const DayList& list);
    void announce(Change what);
    void checkFileChange();
    // The owner's flags onto a read-only entry.
    void takeOwnersFlags(ReadOnlyEntry& entry) const;

    const Clock& m_clock;
    DataFile m_file;
    DayList m_entries = placeholderDayList();
    std::vector<ReadOnlyEntry> m_readOnly;
    ReadOnlyNotices* m_readOnlyNotices = nullptr;
    DayList m_view = placeholderDayList();
    // For each view index: >= 0 an index of m_entries, < 0 -(index of
    // m_readOnly) - 1.
    std::vector<int> m_viewSource{0};
    bool m_loaded = false;
    bool m_reading = false; // a read in a worker is under way
    // Counts the reads and writes of the file, so that a worker's read
    // that another read or a write overtook is not taken.
    quint64 m_fileGeneration = 0;
    FileWatch* m_watch = nullptr;
};

} // namespace tanzo
