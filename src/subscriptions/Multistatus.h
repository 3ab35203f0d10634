#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tanzo {

// One <response> of a WebDAV multistatus answer, with the properties a
// calendar sync asks for.
struct DavResponse {
    QString href;   // percent-decoded path as the server gave it
    int status = 0; // HTTP status of the found properties (or the response)
    QString etag;
    QString collectionTag; // getctag
    bool isCalendar = false;
    QByteArray calendarData;
    // What discovery asks for: where the user's calendars are, and what
    // each one is called and holds.
    QString principal;    // current-user-principal, decoded path
    QString calendarHome; // calendar-home-set, decoded path (the first)
    QString displayName;
    QString color;          // "#RRGGBB" or "#RRGGBBAA" as the server gave it
    QStringList components; // supported-calendar-component-set; empty: not said
};

// Parses a 207 Multi-Status body. Empty when the body is not one (or holds
// more than maxResponses responses: an answer that big is refused whole).
std::optional<std::vector<DavResponse>> parseMultistatus(const QByteArray& body, int maxResponses);

// What a PROPFIND of one collection says of it: whether a response names a
// calendar, and the last collection tag given (empty when none is).
struct CollectionFacts {
    bool isCalendar = false;
    QString tag;
};
CollectionFacts collectionFacts(const std::vector<DavResponse>& responses);

// Request bodies of the sync.
QByteArray propfindCollectionBody();
QByteArray propfindDiscoveryBody();
QByteArray calendarQueryBody(const QString& startUtc, const QString& endUtc);
QByteArray calendarMultigetBody(const std::vector<QString>& hrefs);

} // namespace tanzo
