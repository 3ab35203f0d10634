// Reading a calendar file into appointments: the file's text within its
// bounds (IcsFileText), each calendar's events fitted to appointments
// (EventFitting), the result in start order and admitted beside a list.
// What the import says is in ImportReport.cpp.
#include "IcsImport.h"

#include "EventFitting.h"
#include "IcsFileText.h"

#include <QDeadlineTimer>
#include <QSet>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <numeric>

namespace tanzo {
namespace {

// All of a file's expansions stop after this long.
constexpr int kFileExpansionMs = 10000;

// Orders the entries by start, and their details (when there are) with them.
void sortByStart(std::vector<ScheduleEntry>& entries, std::vector<AppointmentDetails>& details) {
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const ScheduleEntry& x = entries[a];
        const ScheduleEntry& y = entries[b];
        return x.dateSerial != y.dateSerial ? x.dateSerial < y.dateSerial
                                            : x.startTime < y.startTime;
    });
    const bool withDetails = details.size() == entries.size();
    std::vector<ScheduleEntry> sorted;
    std::vector<AppointmentDetails> sortedDetails;
    sorted.reserve(entries.size());
    for (const size_t i : order) {
        sorted.push_back(std::move(entries[i]));
        if (withDetails)
            sortedDetails.push_back(std::move(details[i]));
    }
    entries = std::move(sorted);
    if (withDetails)
        details = std::move(sortedDetails);
}

} // namespace

IcsImportResult readIcs(const QByteArray& bytes, const QDate& today, const std::atomic_bool* cancel,
                        IcsTarget target) {
    IcsImportResult result;
    const std::optional<QByteArray> text = ics::boundedText(bytes, result);
    if (!text)
        return result;
    // A damaged file must give a message, never end the program.
    icalerror_set_errors_are_fatal(0);
    QSet<QString> seen;
    const QDeadlineTimer fileDeadline(kFileExpansionMs);
    for (const ics::CalendarText& calendar : ics::splitCalendars(*text)) {
        const ics::CalendarPtr skeleton(icalparser_parse_string(calendar.skeleton.constData()));
        if (!skeleton || icalcomponent_isa(skeleton.get()) != ICAL_VCALENDAR_COMPONENT)
            continue;
        result.refusal = IcsImportResult::Refusal::None;
        result.isCalendar = true;
        ics::fitCalendar(skeleton.get(), *text, calendar, today, seen, fileDeadline, result, cancel,
                         target);
        ++result.calendars;
        if (result.cancelled)
            break;
    }
    sortByStart(result.entries, result.entryDetails);
    sortByStart(result.allDayEntries, result.allDayDetails);
    return result;
}

void admitImport(IcsImportResult& result, const std::vector<ScheduleEntry>& existing) {
    QSet<QString> seen;
    int held = 0;
    for (const ScheduleEntry& e : existing) {
        if (e.dateSerial > 0) {
            seen.insert(ics::duplicateKey(e));
            ++held;
        }
    }
    std::vector<ScheduleEntry> admitted;
    const int room = std::max(0, MaxDayListEntries - held);
    for (ScheduleEntry& e : result.entries) {
        if (seen.contains(ics::duplicateKey(e)))
            ++result.duplicates;
        else if (static_cast<int>(admitted.size()) >= room)
            ++result.overLimit;
        else
            admitted.push_back(std::move(e));
    }
    result.entries = std::move(admitted);
}

IcsImportResult importIcs(const QByteArray& bytes, const QDate& today,
                          const std::vector<ScheduleEntry>& existing) {
    IcsImportResult result = readIcs(bytes, today);
    admitImport(result, existing);
    return result;
}

} // namespace tanzo
