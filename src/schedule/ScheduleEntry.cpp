#include "ScheduleEntry.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace tanzo {
namespace {
const QDate kEpoch(1899, 12, 30);
constexpr char16_t kIdeographicSpace = u'\u3000';
} // namespace

QDate ScheduleEntry::date() const {
    return dateFromSerial(dateSerial);
}

HourMinute ScheduleEntry::startHourMinute() const {
    return hourMinuteFromFraction(startTime);
}

float daySerial(const QDate& date) {
    return static_cast<float>(kEpoch.daysTo(date));
}

QDate dateFromSerial(double serial) {
    // Far beyond any calendar date (a damaged or hand-made file): converting
    // such a value to a whole number of days is undefined.
    constexpr double kFarthest = 1e12;
    if (!(std::fabs(serial) < kFarthest))
        return {};
    return kEpoch.addDays(static_cast<qint64>(std::floor(serial)));
}

bool hasShowableDate(const ScheduleEntry& entry) {
    constexpr double kLastDay = 2958465; // 9999-12-31
    return entry.dateSerial <= kLastDay && entry.date().isValid();
}

float timeFraction(int hour, int minute) {
    return static_cast<float>((hour * 3600.0 + minute * 60.0) / 86400.0);
}

HourMinute hourMinuteFromFraction(double fraction) {
    const double dayPart = fraction - std::floor(fraction);
    long seconds = std::lround(dayPart * 86400.0);
    if (seconds >= 86400)
        seconds = 86399;
    return {static_cast<int>(seconds / 3600), static_cast<int>((seconds % 3600) / 60)};
}

QString fitPlace(const QString& text) {
    if (text.size() >= PlaceLength)
        return text.left(PlaceLength);
    return text + QString(PlaceLength - text.size(), QLatin1Char(' '));
}

QString placeholderPlace() {
    return QString(PlaceLength, QChar(0));
}

int16_t statusFromText(const QString& text) {
    if (text == QStringLiteral("最重要"))
        return 1;
    if (text == QStringLiteral("重要"))
        return 2;
    return 3;
}

QString statusWord(int status) {
    switch (status) {
    case 1:
        return QStringLiteral("最重要");
    case 2:
        return QStringLiteral("重要");
    case 3:
        return QStringLiteral("普通");
    default:
        return {};
    }
}

QString trimSpaces(const QString& text) {
    auto isSpace = [](QChar c) { return c == QLatin1Char(' ') || c == QChar(kIdeographicSpace); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

ScheduleEntry placeholderEntry() {
    ScheduleEntry e;
    e.place = placeholderPlace();
    return e;
}

DayList placeholderDayList() {
    return DayList{placeholderEntry()};
}

bool holdsNoAppointment(const DayList& list) {
    return list.empty() || list[0].dateSerial == 0;
}

QString leftWhole(const QString& text, qsizetype units) {
    if (text.size() <= units)
        return text;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    characters.setPosition(units);
    if (!characters.isAtBoundary())
        characters.toPreviousBoundary();
    return text.left(std::max<qsizetype>(characters.position(), 0));
}

} // namespace tanzo
