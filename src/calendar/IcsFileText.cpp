#include "IcsFileText.h"

#include "platform/Cp932.h"

#include <QByteArrayView>
#include <QList>

namespace tanzo::ics {
namespace {

// The file as UTF-8 text for libical: UTF-8 as it is, or Shift_JIS (as
// some older programs write) converted.
std::optional<QByteArray> utf8Text(const QByteArray& bytes, bool* converted) {
    *converted = false;
    if (QByteArrayView(bytes).isValidUtf8())
        return bytes;
    *converted = true;
    return cp932::toUtf8(bytes);
}

qsizetype longestLine(const QByteArray& bytes) {
    qsizetype longest = 0;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0)
            end = bytes.size();
        longest = std::max(longest, end - from);
        from = end + 1;
    }
    return longest;
}

// BEGIN and END lines must pair up within kMaxIcsNesting levels: libical
// writes a line to the terminal for each END it finds without its BEGIN
// (and for each component left open), and reads nothing of a file cut by
// a NUL byte, where its strings end.
IcsImportResult::Refusal brokenStructure(const QByteArray& text) {
    if (text.contains('\0'))
        return IcsImportResult::Refusal::NulByte;
    QList<QByteArray> open;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf('\n', from);
        end = end < 0 ? text.size() : end + 1;
        const QByteArray line = text.mid(from, end - from).trimmed().toUpper();
        from = end;
        if (line.startsWith("BEGIN:")) {
            if (open.size() >= kMaxIcsNesting)
                return IcsImportResult::Refusal::TooDeep;
            open.append(line.mid(6).trimmed());
        } else if (line.startsWith("END:")) {
            if (open.isEmpty() || open.takeLast() != line.mid(4).trimmed())
                return IcsImportResult::Refusal::Unbalanced;
        }
    }
    return open.isEmpty() ? IcsImportResult::Refusal::None : IcsImportResult::Refusal::Unbalanced;
}

} // namespace

std::optional<QByteArray> boundedText(const QByteArray& bytes, IcsImportResult& result) {
    result.refusal = IcsImportResult::Refusal::NotCalendar;
    if (bytes.size() > kMaxIcsBytes) {
        result.refusal = IcsImportResult::Refusal::TooLarge;
        return std::nullopt;
    }
    if (longestLine(bytes) > kMaxIcsLineBytes) {
        result.refusal = IcsImportResult::Refusal::LongLine;
        return std::nullopt;
    }
    std::optional<QByteArray> text = utf8Text(bytes, &result.fromShiftJis);
    if (!text) {
        if (bytes.contains("BEGIN:VCALENDAR"))
            result.refusal = IcsImportResult::Refusal::Encoding;
        return std::nullopt;
    }
    // Only a file that looks like a calendar is judged on its structure.
    if (text->contains("BEGIN:VCALENDAR")) {
        result.refusal = brokenStructure(*text);
        if (result.refusal != IcsImportResult::Refusal::None)
            return std::nullopt;
        result.refusal = IcsImportResult::Refusal::NotCalendar;
    }
    return text;
}

std::vector<CalendarText> splitCalendars(const QByteArray& text) {
    std::vector<CalendarText> calendars;
    bool inCalendar = false;
    qsizetype eventStart = -1;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf('\n', from);
        end = end < 0 ? text.size() : end + 1;
        const QByteArray line = text.mid(from, end - from).trimmed();
        if (!inCalendar) {
            if (line.compare("BEGIN:VCALENDAR", Qt::CaseInsensitive) == 0) {
                inCalendar = true;
                calendars.emplace_back();
                calendars.back().skeleton = line + "\r\n";
            }
        } else if (eventStart >= 0) {
            if (line.compare("END:VEVENT", Qt::CaseInsensitive) == 0) {
                calendars.back().events.emplace_back(eventStart, end - eventStart);
                eventStart = -1;
            }
        } else if (line.compare("BEGIN:VEVENT", Qt::CaseInsensitive) == 0) {
            eventStart = from;
        } else {
            calendars.back().skeleton += text.mid(from, end - from);
            if (line.compare("END:VCALENDAR", Qt::CaseInsensitive) == 0)
                inCalendar = false;
        }
        from = end;
    }
    return calendars;
}

CalendarPtr parseEvent(const QByteArray& text, qsizetype offset, qsizetype length) {
    const QByteArray lines = text.mid(offset, length);
    CalendarPtr event(icalparser_parse_string(lines.constData()));
    if (event && icalcomponent_isa(event.get()) != ICAL_VEVENT_COMPONENT)
        return nullptr;
    return event;
}

} // namespace tanzo::ics
