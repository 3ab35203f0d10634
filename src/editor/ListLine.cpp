#include "ListLine.h"

namespace tanzo {
namespace {
constexpr char16_t kIdeographicSpace = u'\u3000';

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The status word at its fixed width of three characters.
QString statusColumn(int status) {
    switch (status) {
    case 1:
        return QStringLiteral("最重要");
    case 2:
        return QStringLiteral("重要　");
    default:
        return QStringLiteral("普通　");
    }
}

// A field is a whole number only when it is made of ASCII digits; the list
// never shows signs or spaces inside its numbers.
std::optional<int> wholeNumber(const QString& text) {
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}
} // namespace

QString yearText(int year) {
    return year < 10 ? QStringLiteral("0") + QString::number(year) : QString::number(year);
}

QString fillToColumns(const QString& text, int columns) {
    int used = 0;
    for (QChar c : text) {
        // Half-width: what code page 932 writes in one byte (ASCII and
        // half-width katakana).
        const char16_t u = c.unicode();
        used += (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F)) ? 1 : 2;
    }
    QString filled = text;
    if (used < columns) {
        filled += QString((columns - used) / 2, QChar(kIdeographicSpace));
        if ((columns - used) % 2 != 0)
            filled += QLatin1Char(' ');
    }
    return filled;
}

QString fillIdeographic(const QString& text, int width) {
    if (text.size() >= width)
        return text;
    return text + QString(width - text.size(), QChar(kIdeographicSpace));
}

ListFields fieldsFromEntry(const ScheduleEntry& entry) {
    const QDate date = entry.date();
    const HourMinute hm = entry.startHourMinute();
    return ListFields{yearText(date.year()), twoDigits(date.month()),
                      twoDigits(date.day()), statusColumn(entry.status),
                      entry.place,           twoDigits(hm.hour),
                      twoDigits(hm.minute),  entry.comment};
}

ListFields fieldsFromInputs(const EntryInputs& in) {
    return ListFields{in.year,
                      in.month,
                      in.day,
                      fillIdeographic(in.status, 3),
                      fillIdeographic(in.place, 7),
                      in.hour,
                      in.minute,
                      fillIdeographic(in.comment, 12)};
}

namespace {

QString joinWithTime(const ListFields& f, const QString& time) {
    QString line;
    line.reserve(40 + f.place.size() + f.comment.size());
    line += f.year;
    line += QLatin1Char('/');
    line += f.month;
    line += QLatin1Char('/');
    line += f.day;
    line += kLineSeparator;
    line += f.status;
    line += kLineSeparator;
    line += f.place;
    line += kLineSeparator;
    line += time;
    line += kLineSeparator;
    line += f.comment;
    return line;
}

} // namespace

QString joinListLine(const ListFields& f) {
    return joinWithTime(f, f.hour + QLatin1Char(':') + f.minute);
}

QString allDayListLine(const ListFields& f) {
    // As wide as "HH:MM" in the list's fixed-pitch font.
    return joinWithTime(f, QStringLiteral("終日 "));
}

QString shownListLine(const ListFields& fields) {
    ListFields shown = fields;
    shown.place = fillToColumns(trimSpaces(fields.place), 2 * PlaceLength);
    // The last column needs no filling; trailing spaces would only push a
    // short line past the list's edge.
    shown.comment = trimSpaces(fields.comment);
    return joinListLine(shown);
}

QString lineFromEntry(const ScheduleEntry& entry) {
    return joinListLine(fieldsFromEntry(entry));
}

QString lineFromInputs(const EntryInputs& inputs) {
    return joinListLine(fieldsFromInputs(inputs));
}

std::optional<ListFields> splitListLine(const QString& line) {
    qsizetype from = 0;
    bool failed = false;
    auto upTo = [&](const QString& delimiter) {
        if (failed)
            return QString();
        const qsizetype at = line.indexOf(delimiter, from);
        if (at < 0) {
            failed = true;
            return QString();
        }
        QString field = line.mid(from, at - from);
        from = at + delimiter.size();
        return field;
    };
    const QString slash = QStringLiteral("/");
    const QString colon = QStringLiteral(":");
    ListFields f;
    f.year = upTo(slash);
    f.month = upTo(slash);
    f.day = upTo(kLineSeparator);
    f.status = upTo(kLineSeparator);
    f.place = upTo(kLineSeparator);
    f.hour = upTo(colon);
    f.minute = upTo(kLineSeparator);
    if (failed)
        return std::nullopt;
    f.comment = line.mid(from);
    return f;
}

QDate fieldsDate(const ListFields& f) {
    const auto y = wholeNumber(f.year);
    const auto m = wholeNumber(f.month);
    const auto d = wholeNumber(f.day);
    if (!y || !m || !d)
        return {};
    return QDate(*y, *m, *d);
}

QTime fieldsTime(const ListFields& f) {
    const auto h = wholeNumber(f.hour);
    const auto m = wholeNumber(f.minute);
    if (!h || !m)
        return {};
    return QTime(*h, *m, 0);
}

bool isPastLine(const ListFields& fields, const QDate& openDate, const QTime& openTime) {
    const QDate date = fieldsDate(fields);
    if (!date.isValid())
        return false;
    if (date != openDate)
        return date < openDate;
    const QTime time = fieldsTime(fields);
    return time.isValid() && time < openTime;
}

bool isPastLine(const QString& line, const QDate& openDate, const QTime& openTime) {
    const auto fields = splitListLine(line);
    return fields && isPastLine(*fields, openDate, openTime);
}

} // namespace tanzo
