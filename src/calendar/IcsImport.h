#pragma once

#include "schedule/ScheduleEntry.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <atomic>
#include <vector>

namespace tanzo {

// The largest calendar file read. libical holds a parsed file in about ten
// times its size; a year of a busy shared calendar is a few megabytes.
constexpr qint64 kMaxIcsBytes = 64 * 1024 * 1024;
// The longest line read. The format folds lines at 75 octets; libical's
// reader slows with the square of an unfolded line's length (8 MB: six
// seconds), so a file with a longer line is refused whole.
constexpr qint64 kMaxIcsLineBytes = 256 * 1024;
// The deepest nesting of components read; a real file has four levels
// (calendar, time zone, rule, and so on).
constexpr int kMaxIcsNesting = 32;

// An event of the file that did not become an appointment, and why.
struct LeftOutEvent {
    QDate date;
    QTime time;
    QString title;
    QString reason;
};

// What the appointments are for: the data file, which holds code page 932
// text and needs a start time; or a subscription, never written there,
// which keeps every character and the all-day events.
enum class IcsTarget { DataFile, Subscription };

// What a subscription keeps beside an appointment: the first lines of its
// event's DESCRIPTION, and the times of the event's own reminders (seconds
// since the epoch, each at the start of its minute, in order).
struct AppointmentDetails {
    QString description;
    std::vector<qint64> reminders;
};

struct IcsImportResult {
    // Why the file was not read at all; isCalendar is false then.
    // NulByte, TooDeep and Unbalanced: the file's structure is broken (a
    // NUL byte, components nested deeper than kMaxIcsNesting, an END
    // without its BEGIN or a BEGIN without its END).
    enum class Refusal {
        None,
        NotCalendar,
        TooLarge,
        Encoding,
        LongLine,
        NulByte,
        TooDeep,
        Unbalanced
    };
    static constexpr Refusal kLastRefusal = Refusal::Unbalanced;
    Refusal refusal = Refusal::NotCalendar;
    bool isCalendar = false;
    std::vector<ScheduleEntry> entries;
    int calendars = 0; // VCALENDARs read
    bool fromShiftJis = false;
    int duplicates = 0; // already present, or twice in the file
    int allDay = 0;     // all-day events: they have no start time
    // For a subscription: each day of an all-day event in the seven days,
    // at 00:00 (the all-day events are not counted in allDay then).
    std::vector<ScheduleEntry> allDayEntries;
    // For a subscription: the details of each appointment of entries and
    // allDayEntries, in the same order.
    std::vector<AppointmentDetails> entryDetails;
    std::vector<AppointmentDetails> allDayDetails;
    int overLimit = 0;                 // left out because the list would pass its limit
    QStringList costlyZones;           // VTIMEZONEs not used: too costly to expand
    std::vector<LeftOutEvent> leftOut; // the first kMaxListedLeftOut of them
    int leftOutUnlisted = 0;           // and how many more
    bool cancelled = false;
};

// The events of an iCalendar file (UTF-8, or Shift_JIS) that start in the
// seven days from today (local time) as appointments: recurring events
// expanded within a bound of steps and time, the place from LOCATION (for
// the data file, which needs a place, SUMMARY when there is none), the
// importance from PRIORITY. Duplicates within the file
// are counted and dropped. `cancel`, when given, stops the work early.
IcsImportResult readIcs(const QByteArray& bytes, const QDate& today,
                        const std::atomic_bool* cancel = nullptr,
                        IcsTarget target = IcsTarget::DataFile);

// Drops the entries with the date, start time and place of one in
// `existing`, and keeps no more than the list has room for.
void admitImport(IcsImportResult& result, const std::vector<ScheduleEntry>& existing);

// readIcs, then admitImport.
IcsImportResult importIcs(const QByteArray& bytes, const QDate& today,
                          const std::vector<ScheduleEntry>& existing);

// A few Japanese lines that say what the import did, for a message box or
// the terminal.
QString describeImport(const IcsImportResult& result);

// Why the file was not read, for a refused result.
QString refusalMessage(const IcsImportResult& result, const QString& fileName);
QString tooLargeMessage(const QString& fileName);

constexpr int kMaxListedLeftOut = 1000;
// Adds a left-out event, counting it only once the list is long. Inline: the
// channel's reading of an import needs it without libical.
inline void leaveOut(IcsImportResult& result, LeftOutEvent event) {
    if (static_cast<int>(result.leftOut.size()) < kMaxListedLeftOut)
        result.leftOut.push_back(std::move(event));
    else
        ++result.leftOutUnlisted;
}

// How much of a DESCRIPTION a subscription keeps: its first lines, each cut.
constexpr int kDescriptionLines = 6;
constexpr int kDescriptionLineLength = 120;

// The name and value of the property that marks an event as written by our
// export: it says whether the appointment had a comment, which SUMMARY
// alone cannot (it holds the place when there is none).
inline constexpr char kOwnEventProperty[] = "X-TANZO-ENTRY";
inline constexpr char kOwnEventWithComment[] = "COMMENT";
inline constexpr char kOwnEventWithoutComment[] = "NO-COMMENT";

} // namespace tanzo
