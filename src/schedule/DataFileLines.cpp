#include "DataFileLines.h"

#include "DataFileText.h"
#include "DayListSort.h"

#include <algorithm>
#include <cstring>

namespace tanzo {
namespace {

// The fields of one line of the data file. A field that begins with a
// double quote runs to the next double quote on the same line; any other
// runs to the next comma or the line's end. A line is one record: a field
// never continues on the next line, so a damaged line cannot take the next
// one's fields.
class LineFields {
public:
    LineFields(const char* begin, const char* end) : m_p(begin), m_end(end) {}

    bool atEnd() const { return m_p >= m_end && !m_pendingField; }

    // False when the line holds no further field or the field is malformed.
    bool next(const char*& begin, qsizetype& length) {
        skipBlanks();
        if (m_p >= m_end) {
            // "a," still has an (empty) field after its comma.
            if (!m_pendingField)
                return false;
            m_pendingField = false;
            begin = m_p;
            length = 0;
            return true;
        }
        m_pendingField = false;
        if (*m_p == '"') {
            const char* close = static_cast<const char*>(memchr(m_p + 1, '"', m_end - m_p - 1));
            if (!close)
                return false;
            begin = m_p + 1;
            length = close - begin;
            m_p = close + 1;
            skipBlanks();
            return endField();
        }
        begin = m_p;
        while (m_p < m_end && *m_p != ',')
            ++m_p;
        const char* last = m_p;
        while (last > begin && (last[-1] == ' ' || last[-1] == '\t'))
            --last;
        length = last - begin;
        return endField();
    }

private:
    void skipBlanks() {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t'))
            ++m_p;
    }

    bool endField() {
        if (m_p >= m_end)
            return true;
        if (*m_p != ',')
            return false;
        ++m_p;
        m_pendingField = true;
        return true;
    }

    const char* m_p;
    const char* m_end;
    bool m_pendingField = false;
};

// Blank lines (and a trailing end-of-file mark) are no records.
bool isBlankLine(const char* begin, const char* end) {
    for (const char* p = begin; p < end; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\x1a')
            return false;
    }
    return true;
}

// Where the next line starts: after CR LF, LF or a lone CR.
const char* lineEnd(const char* p, const char* end, const char*& next) {
    const char* lf = static_cast<const char*>(memchr(p, '\n', end - p));
    const char* stop = lf ? lf : end;
    const char* cr = static_cast<const char*>(memchr(p, '\r', stop - p));
    if (cr) {
        next = (cr + 1 < end && cr[1] == '\n') ? cr + 2 : cr + 1;
        return cr;
    }
    next = lf ? lf + 1 : end;
    return stop;
}

enum class LineResult { Entry, Damaged };

// Reads the seven fields of one line. `exact` becomes false when a text
// field held bytes outside code page 932.
LineResult readEntry(const char* lineBegin, const char* lineEnd, cp932::Converter& fromCp932,
                     ScheduleEntry& entry, bool& exact) {
    LineFields fields(lineBegin, lineEnd);
    const char* b = nullptr;
    qsizetype n = 0;
    int16_t number = 0;
    bool placeExact = true;
    bool commentExact = true;
    auto field = [&] { return fields.next(b, n); };
    if (!field() || !datafile::parseFloat(b, n, entry.dateSerial))
        return LineResult::Damaged;
    if (!field() || !datafile::parseFloat(b, n, entry.startTime))
        return LineResult::Damaged;
    if (!field() || !datafile::parseShort(b, n, entry.status))
        return LineResult::Damaged;
    if (!field())
        return LineResult::Damaged;
    entry.place = fitPlace(datafile::decodeText(b, n, fromCp932, &placeExact));
    if (!field())
        return LineResult::Damaged;
    entry.comment = datafile::decodeText(b, n, fromCp932, &commentExact);
    exact = placeExact && commentExact;
    if (!field() || !datafile::parseShort(b, n, number))
        return LineResult::Damaged;
    entry.arrived = number != 0;
    if (!field() || !datafile::parseShort(b, n, number))
        return LineResult::Damaged;
    entry.preNoticed = number != 0;
    return fields.atEnd() ? LineResult::Entry : LineResult::Damaged;
}

} // namespace

QByteArray encodeEntryLine(const ScheduleEntry& entry) {
    QByteArray line;
    line.reserve(64 + entry.comment.size() * 2);
    line += datafile::formatFloat(entry.dateSerial);
    line += ',';
    line += datafile::formatFloat(entry.startTime);
    line += ',';
    line += QByteArray::number(entry.status);
    line += ",\"";
    line += datafile::encodeText(fitPlace(datafile::storableText(entry.place)));
    line += "\",\"";
    line += datafile::encodeText(datafile::storableText(entry.comment));
    line += "\",";
    line += entry.arrived ? "-1" : "0";
    line += ',';
    line += entry.preNoticed ? "-1" : "0";
    line += "\r\n";
    return line;
}

DataFileLines readDataFileLines(const QByteArray& bytes, const QDate& today) {
    DataFileLines lines;
    DayList& list = lines.list;
    DataFileLoadReport& report = lines.report;
    list = placeholderDayList();
    list.reserve(std::min<qsizetype>(bytes.count('\n') + 1, MaxDayListEntries));
    const float oldest = daySerial(today) - 6;
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    // Editors on Linux may start a file with a UTF-8 byte-order mark.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        p += 3;
    cp932::Converter fromCp932(cp932::Converter::Direction::FromCp932);
    for (int line = 1; p < end; ++line) {
        const char* next = nullptr;
        const char* const stop = lineEnd(p, end, next);
        const char* const begin = p;
        p = next;
        if (isBlankLine(begin, stop))
            continue;
        ScheduleEntry entry;
        bool exact = true;
        const bool read = readEntry(begin, stop, fromCp932, entry, exact) == LineResult::Entry;
        if (read && !(entry.dateSerial >= oldest)) {
            ++report.dropped;
            continue;
        }
        // Text that would not be written back as it stands, or a date no
        // calendar shows, is damage like a malformed line: left out of the
        // list, and kept in the backup.
        if (!read || !exact || !hasShowableDate(entry)) {
            if (report.unreadable++ == 0)
                report.lineNumber = line;
            report.ok = false;
            continue;
        }
        if (list[0].dateSerial <= 0) {
            list[0] = std::move(entry);
        } else if (static_cast<int>(list.size()) < MaxDayListEntries) {
            list.push_back(std::move(entry));
        } else {
            report.overLimit = true;
            ++report.leftOut;
            continue;
        }
        ++report.kept;
    }
    // Lines left out, for damage or for the size limit, exist only in the
    // file now.
    lines.needsBackup = report.unreadable > 0 || report.overLimit;
    sortDayList(list);
    return lines;
}

} // namespace tanzo
