#include "IcsEventFields.h"

#include "EventTimes.h"
#include "platform/Cp932.h"

#include <QDate>
#include <QStringList>

#include <algorithm>

namespace tanzo::ics {
namespace {

// An all-day event longer than this shows on no more days than this.
constexpr int kMaxAllDaySpan = 366;

} // namespace

QString oneLine(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            out.append(QLatin1Char(' '));
        else if (c.category() != QChar::Other_Control)
            out.append(c);
    }
    return out;
}

QString textOf(icalcomponent* event, icalproperty_kind kind, IcsTarget target) {
    icalproperty* p = icalcomponent_get_first_property(event, kind);
    if (!p)
        return {};
    const char* text =
        kind == ICAL_SUMMARY_PROPERTY ? icalproperty_get_summary(p) : icalproperty_get_location(p);
    const QString value = QString::fromUtf8(text ? text : "");
    return trimSpaces(target == IcsTarget::DataFile ? cp932::storable(value) : oneLine(value));
}

QString descriptionOf(icalcomponent* event) {
    icalproperty* p = icalcomponent_get_first_property(event, ICAL_DESCRIPTION_PROPERTY);
    const char* text = p ? icalproperty_get_description(p) : nullptr;
    if (!text)
        return {};
    const QString value = QString::fromUtf8(text, qstrnlen(text, kMaxIcsLineBytes));
    QStringList lines;
    bool more = false;
    for (const QString& line : value.split(QLatin1Char('\n'))) {
        const QString kept = trimSpaces(oneLine(line));
        if (kept.isEmpty())
            continue;
        if (lines.size() == kDescriptionLines) {
            more = true;
            break;
        }
        const QString head = leftWhole(kept, kDescriptionLineLength);
        lines << (head.size() < kept.size() ? head + QStringLiteral("…") : head);
    }
    if (more)
        lines << QStringLiteral("…");
    return lines.join(QLatin1Char('\n'));
}

int allDaySpan(icalcomponent* event, const icaltimetype& start) {
    const icaltimetype end = icalcomponent_get_dtend(event);
    if (icaltime_is_null_time(end) || !end.is_date || !ics::wellFormed(end))
        return 1;
    const qint64 days =
        QDate(start.year, start.month, start.day).daysTo(QDate(end.year, end.month, end.day));
    return static_cast<int>(std::clamp<qint64>(days, 1, kMaxAllDaySpan));
}

QByteArray ownMark(icalcomponent* event) {
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* name = icalproperty_get_x_name(p);
        if (name && qstrcmp(name, kOwnEventProperty) == 0) {
            const char* value = icalproperty_get_x(p);
            return QByteArray(value ? value : "");
        }
    }
    return {};
}

int16_t statusFromPriority(icalcomponent* event) {
    icalproperty* p = icalcomponent_get_first_property(event, ICAL_PRIORITY_PROPERTY);
    const int priority = p ? icalproperty_get_priority(p) : 0;
    if (priority >= 1 && priority <= 4)
        return 1;
    if (priority == 5)
        return 2;
    return 3;
}

bool cancelled(icalcomponent* event) {
    return icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED;
}

QString uidOf(icalcomponent* event) {
    const char* uid = icalcomponent_get_uid(event);
    return uid ? QString::fromUtf8(uid) : QString();
}

} // namespace tanzo::ics
