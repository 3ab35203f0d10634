#pragma once

#include "IcsImport.h"

#include <QByteArray>

#include <libical/ical.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tanzo::ics {

// The file's text as libical is given it: the bounds it is read within
// (size, line length, encoding, BEGIN and END paired within the nesting
// bound), and its cut into calendars and events.

struct CalendarDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using CalendarPtr = std::unique_ptr<icalcomponent, CalendarDeleter>;

// The file as UTF-8 text within the bounds, or nothing, with the reason in
// result.refusal (NotCalendar for a file that does not look like one) and
// result.fromShiftJis set when it was converted.
std::optional<QByteArray> boundedText(const QByteArray& bytes, IcsImportResult& result);

// One VCALENDAR of the file: its own lines with the events left out (the
// skeleton, which holds the VTIMEZONEs), and where each VEVENT's lines are.
// libical holds a parsed event in some kilobytes, so a file of a million
// small events parsed whole would take gigabytes; parsed one at a time,
// only the file's text and one event are held.
struct CalendarText {
    QByteArray skeleton;
    std::vector<std::pair<qsizetype, qsizetype>> events; // offset, length
};

// The calendars of the text, in the file's order.
std::vector<CalendarText> splitCalendars(const QByteArray& text);

// The event at `offset`, parsed on its own; null when it is no VEVENT.
CalendarPtr parseEvent(const QByteArray& text, qsizetype offset, qsizetype length);

} // namespace tanzo::ics
