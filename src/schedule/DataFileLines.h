#pragma once

#include "ScheduleEntry.h"

#include <QByteArray>
#include <QDate>

namespace tanzo {

// The lines of the data file TANZO.DAT: an entry written as its line, and a
// file's bytes read into the entries it holds, with what was left out.

// One line of the data file for an entry (CR LF included), in code page 932.
// A double quote, CR or LF in Place or Comment cannot be stored in the file
// format; such characters are written as their full-width forms (＂) or a
// space, so that the line always reads back as one entry.
QByteArray encodeEntryLine(const ScheduleEntry& entry);

// What a read of the data file took and left out.
struct DataFileLoadReport {
    bool ok = true;              // false when some line, or the whole file, could not be read
    bool fileUnreadable = false; // the file itself could not be read
    // Lines that could not be read: malformed, holding bytes that are not
    // code page 932 (they could not be written back as they stand), or a
    // date no calendar shows. They are left out of the list; the read
    // goes on with the next line.
    int unreadable = 0;
    int lineNumber = 0;     // the first of them (1-based)
    int kept = 0;           // entries kept
    int dropped = 0;        // entries older than six days
    bool overLimit = false; // more than 32767 entries: the surplus was left out
    int leftOut = 0;        // entries left out for the limit
    // Whether two reads found the same lines left out.
    bool sameLoss(const DataFileLoadReport& other) const {
        return ok == other.ok && fileUnreadable == other.fileUnreadable &&
               unreadable == other.unreadable && lineNumber == other.lineNumber &&
               leftOut == other.leftOut;
    }
};

struct DataFileLines {
    DayList list; // ordered; the placeholder entry when nothing was read
    DataFileLoadReport report;
    // Some line exists only in the file now: it must be copied aside before
    // the file is overwritten.
    bool needsBackup = false;
};

// Reads every line, keeping the entries dated `today` minus six days or
// later, up to the list's limit. A line that cannot be read is left out and
// the read goes on with the next one.
DataFileLines readDataFileLines(const QByteArray& bytes, const QDate& today);

} // namespace tanzo
