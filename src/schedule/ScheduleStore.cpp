#include "ScheduleStore.h"

#include "DayListSort.h"
#include "FileWatch.h"
#include "platform/Clock.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <tuple>

namespace tanzo {
namespace {

// Files up to this size are read at once. The board never writes a larger
// one (its list holds at most 32 767 lines of about 80 bytes); one that
// another program left is read in a worker thread.
constexpr qint64 kReadAtOnceBytes = 4 << 20;

} // namespace

ScheduleStore::ScheduleStore(QString dataFilePath, const Clock& clock, AtomicWriterFactory writers,
                             QObject* parent)
    : QObject(parent), m_clock(clock), m_file(std::move(dataFilePath), std::move(writers)) {}

ScheduleStore::~ScheduleStore() = default;

bool ScheduleStore::load(const QDate& today) {
    readFile(today);
    // What the watch saw is in this read.
    if (m_watch)
        m_watch->forgetTouches();
    announce(Change::List);
    return m_file.lastLoad().ok;
}

void ScheduleStore::readFile(const QDate& today) {
    takeReading(DataFile::read(m_file.path(), today));
}

void ScheduleStore::takeReading(DataFile::Reading&& reading) {
    ++m_fileGeneration;
    DayList fresh;
    m_file.adopt(std::move(reading), fresh);
    carryNoticeFlags(m_entries, fresh);
    m_entries = std::move(fresh);
    m_loaded = true;
}

void ScheduleStore::refresh(const QDate& today) {
    if (m_reading)
        return;
    if (QFileInfo(m_file.path()).size() <= kReadAtOnceBytes)
        load(today);
    else
        readInBackground(today);
}

void ScheduleStore::readInBackground(const QDate& today) {
    m_reading = true;
    const quint64 generation = m_fileGeneration;
    auto* watcher = new QFutureWatcher<DataFile::Reading>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        m_reading = false;
        if (generation != m_fileGeneration)
            return; // read or written since: this reading is out of date
        const DayList before = m_entries;
        const bool first = !m_loaded;
        takeReading(watcher->future().takeResult());
        if (first || !sameEntries(before, m_entries))
            announce(Change::List);
    });
    watcher->setFuture(QtConcurrent::run(&DataFile::read, m_file.path(), today));
}

void ScheduleStore::ensureLoaded(const QDate& today) {
    if (!m_loaded)
        load(today);
    else if (catchUpWithFile(today))
        announce(Change::List);
}

bool ScheduleStore::catchUpWithFile(const QDate& today) {
    if (m_loaded && !m_file.changedOnDisk())
        return false;
    const DayList before = m_entries;
    readFile(today);
    return !sameEntries(before, m_entries);
}

bool ScheduleStore::write(const DayList& list) {
    ++m_fileGeneration;
    return m_file.save(list);
}

ScheduleStore::EditOutcome ScheduleStore::applyEdit(const DayList& base,
                                                    const std::vector<EditedLine>& edited) {
    const bool reread = catchUpWithFile(m_clock.today());
    EditOutcome outcome;
    outcome.merged = mergeEdit(base, edited, m_entries);
    DayList written = entriesOf(outcome.merged.lines);
    outcome.ok = write(written);
    if (outcome.ok) {
        // Ordered exactly as the next start will find it.
        sortDayList(written);
        m_entries = written.empty() ? placeholderDayList() : std::move(written);
    }
    if (outcome.ok || reread)
        announce(Change::List);
    return outcome;
}

bool ScheduleStore::add(const std::vector<ScheduleEntry>& added) {
    if (added.empty())
        return true;
    const bool reread = catchUpWithFile(m_clock.today());
    DayList updated = holdsNoAppointment(m_entries) ? DayList{} : m_entries;
    updated.insert(updated.end(), added.begin(), added.end());
    sortDayList(updated);
    const bool ok = write(updated);
    if (ok)
        m_entries = std::move(updated);
    if (ok || reread)
        announce(Change::List);
    return ok;
}

bool ScheduleStore::markNotices(const std::vector<NoticeMark>& marks) {
    if (marks.empty())
        return true;
    for (const NoticeMark& mark : marks) {
        if (mark.index < 0 || mark.index > lastIndex())
            continue;
        ScheduleEntry& e = m_entries[static_cast<size_t>(mark.index)];
        e.arrived = e.arrived || mark.arrived;
        e.preNoticed = e.preNoticed || mark.preNoticed;
    }
    // The flags just set are carried over to what another program wrote.
    const bool reread = catchUpWithFile(m_clock.today());
    const bool ok = write(m_entries);
    announce(reread ? Change::List : Change::NoticeFlags);
    return ok;
}

bool ScheduleStore::save() {
    const bool reread = catchUpWithFile(m_clock.today());
    const bool ok = write(m_entries);
    if (reread)
        announce(Change::List);
    return ok;
}

void ScheduleStore::announce(Change what) {
    m_view.clear();
    m_viewSource.clear();
    const bool ownEmpty = holdsNoAppointment(m_entries);
    const size_t own = ownEmpty ? 0 : m_entries.size();
    m_view.reserve(own + m_readOnly.size());
    m_viewSource.reserve(own + m_readOnly.size());
    size_t i = 0;
    size_t j = 0;
    const auto before = [](const ScheduleEntry& a, const ScheduleEntry& b) {
        return std::tie(a.dateSerial, a.startTime) < std::tie(b.dateSerial, b.startTime);
    };
    while (i < own || j < m_readOnly.size()) {
        if (j == m_readOnly.size() || (i < own && !before(m_readOnly[j].entry, m_entries[i]))) {
            m_view.push_back(m_entries[i]);
            m_viewSource.push_back(static_cast<int>(i++));
        } else {
            m_view.push_back(m_readOnly[j].entry);
            m_viewSource.push_back(-static_cast<int>(j++) - 1);
        }
    }
    if (m_view.empty()) {
        m_view = placeholderDayList();
        m_viewSource = {0};
    }
    emit changed(what);
}

const ReadOnlyEntry* ScheduleStore::readOnlyAt(int viewIndex) const {
    if (viewIndex < 0 || viewIndex >= static_cast<int>(m_viewSource.size()))
        return nullptr;
    const int source = m_viewSource[static_cast<size_t>(viewIndex)];
    return source < 0 ? &m_readOnly[static_cast<size_t>(-source - 1)] : nullptr;
}

void ScheduleStore::setReadOnlyEntries(std::vector<ReadOnlyEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return std::tuple(a.entry.dateSerial, !a.allDay, a.entry.startTime) <
               std::tuple(b.entry.dateSerial, !b.allDay, b.entry.startTime);
    });
    for (ReadOnlyEntry& r : entries)
        takeOwnersFlags(r);
    m_readOnly = std::move(entries);
    announce(Change::List);
}

void ScheduleStore::setReadOnlyNotices(ReadOnlyNotices* owner) {
    m_readOnlyNotices = owner;
}

void ScheduleStore::takeOwnersFlags(ReadOnlyEntry& r) const {
    // An all-day appointment has no start to announce: it stays marked done.
    if (!m_readOnlyNotices || r.allDay)
        return;
    const ReadOnlyNotices::Flags flags = m_readOnlyNotices->noticeOf(r.noticeKey);
    r.entry.arrived = flags.arrived;
    r.entry.preNoticed = flags.preNoticed;
    for (Reminder& reminder : r.reminders)
        reminder.given = m_readOnlyNotices->reminderGiven(r.noticeKey, reminder.at);
}

bool ScheduleStore::markViewNotices(const std::vector<NoticeMark>& marks) {
    std::vector<NoticeMark> own;
    bool readOnlyMarked = false;
    for (const NoticeMark& mark : marks) {
        if (mark.index < 0 || mark.index >= static_cast<int>(m_viewSource.size()))
            continue;
        const int source = m_viewSource[static_cast<size_t>(mark.index)];
        if (source >= 0) {
            own.push_back({source, mark.arrived, mark.preNoticed});
            continue;
        }
        ReadOnlyEntry& r = m_readOnly[static_cast<size_t>(-source - 1)];
        r.entry.arrived = r.entry.arrived || mark.arrived;
        r.entry.preNoticed = r.entry.preNoticed || mark.preNoticed;
        readOnlyMarked = true;
        if (m_readOnlyNotices) {
            m_readOnlyNotices->markNotice(r.noticeKey, r.entry.arrived, r.entry.preNoticed);
            takeOwnersFlags(r);
        }
    }
    // The file is written only for the user's own entries: a notice of a
    // subscribed appointment leaves it byte for byte as it was.
    if (!own.empty())
        return markNotices(own);
    if (readOnlyMarked)
        announce(Change::NoticeFlags);
    return true;
}

void ScheduleStore::markReminder(const QString& noticeKey, qint64 at) {
    if (m_readOnlyNotices)
        m_readOnlyNotices->markReminder(noticeKey, at);
    for (ReadOnlyEntry& r : m_readOnly) {
        if (r.noticeKey != noticeKey)
            continue;
        for (Reminder& reminder : r.reminders) {
            if (reminder.at == at)
                reminder.given = true;
        }
    }
}

void ScheduleStore::watchFile() {
    if (m_watch)
        return;
    m_watch = new FileWatch(m_file.path(), this);
    connect(m_watch, &FileWatch::settled, this, &ScheduleStore::checkFileChange);
}

void ScheduleStore::checkFileChange() {
    // Not yet read: the first load reads it anyway. Otherwise this store's
    // own write, or a touch that changed nothing, is no change.
    if (!m_loaded || m_reading || !m_file.mayHaveChangedOnDisk())
        return;
    if (QFileInfo(m_file.path()).size() > kReadAtOnceBytes)
        readInBackground(m_clock.today());
    else if (m_file.changedOnDisk())
        load(m_clock.today());
}

} // namespace tanzo
