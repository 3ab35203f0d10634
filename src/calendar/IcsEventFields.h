#pragma once

#include "IcsImport.h"

#include <QByteArray>
#include <QString>

#include <libical/ical.h>

#include <cstdint>

namespace tanzo::ics {

// What an event says, read off libical as an appointment can hold it.

// Text on one line, without control characters, every other character
// kept (the joiners of emoji sequences too).
QString oneLine(const QString& text);
// SUMMARY or LOCATION with its escapes undone, on one line, inner spaces
// kept: as the data file can hold it, or every character for a
// subscription.
QString textOf(icalcomponent* event, icalproperty_kind kind, IcsTarget target);
// The first lines of DESCRIPTION that hold text, each cut between whole
// characters; a line "…" stands for what was left out.
QString descriptionOf(icalcomponent* event);
// The days an all-day event covers: DTEND or DURATION, at least one.
int allDaySpan(icalcomponent* event, const icaltimetype& start);
// The value of our own export's mark; empty for other programs' events.
QByteArray ownMark(icalcomponent* event);
// The importance PRIORITY stands for: 1-4 最重要, 5 重要, else 普通.
int16_t statusFromPriority(icalcomponent* event);
bool cancelled(icalcomponent* event);
QString uidOf(icalcomponent* event);

} // namespace tanzo::ics
