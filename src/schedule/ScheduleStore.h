#pragma once

#include "DataFile.h"
#include "ScheduleEntry.h"

#include <QDate>
#include <QObject>
#include <QString>

namespace tanzo {

// The appointments in memory and the file they come from. Only the store
// replaces the list; the alarms change the two notice flags of its entries
// in place. Whoever else writes the file (the schedule editor) marks a
// reload pending, and the store's next load brings the list up to date.
class ScheduleStore : public QObject {
    Q_OBJECT
public:
    explicit ScheduleStore(QString dataFilePath, QObject* parent = nullptr);

    const DayList& entries() const { return m_entries; }
    // For the notice flags only.
    DayList& entries() { return m_entries; }
    int lastIndex() const { return static_cast<int>(m_entries.size()) - 1; }

    DataFile& file() { return m_file; }
    const DataFile& file() const { return m_file; }

    // False until the file has been read once.
    bool isLoaded() const { return m_loaded; }
    bool isReloadPending() const { return m_reloadPending; }
    // The file was written behind the list's back.
    void markReloadPending() { m_reloadPending = true; }

    // Reads the file afresh. Notice flags already set in memory stay set on
    // the entries that are still in the file, so a reload never brings back
    // a notice the user has seen. Returns false when the read found damage.
    bool load(const QDate& today);
    // Loads when the list does not yet match the file (nothing read, or a
    // reload pending); a no-op otherwise.
    void loadIfStale(const QDate& today);
    // Takes a list that stands for the file's content, as a load would.
    void setEntries(DayList entries);
    // Back to the placeholder, as before the first load.
    void reset();
    // Writes the whole list, flags included.
    bool save();

signals:
    // The list was replaced by a load; its views redraw.
    void reloaded();

private:
    DataFile m_file;
    DayList m_entries = placeholderDayList();
    bool m_loaded = false;
    bool m_reloadPending = false;
};

} // namespace tanzo
