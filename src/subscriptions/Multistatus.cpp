#include "Multistatus.h"

#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace tanzo {
namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
const QString kCalServer = QStringLiteral("http://calendarserver.org/ns/");
const QString kAppleIcal = QStringLiteral("http://apple.com/ns/ical/");
constexpr int kMaxNameLength = 200;
constexpr int kMaxComponents = 16;

// "HTTP/1.1 404 Not Found" -> 404.
int statusCode(const QString& line) {
    return line.section(QLatin1Char(' '), 1, 1).toInt();
}

} // namespace

std::optional<std::vector<DavResponse>> parseMultistatus(const QByteArray& body, int maxResponses) {
    QXmlStreamReader xml(body);
    std::vector<DavResponse> responses;
    bool sawMultistatus = false;
    DavResponse current;
    // Properties sit in a propstat whose own status comes after them; they
    // are taken only when that status is 2xx.
    DavResponse pending;
    bool inResponse = false;
    bool inPropstat = false;
    bool inResourceType = false;
    // The href inside these properties is theirs, not the response's.
    enum class HrefOf { Response, Principal, Home } hrefOf = HrefOf::Response;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto ns = xml.namespaceUri();
            const auto name = xml.name();
            if (ns == kDav && name == QLatin1String("multistatus")) {
                sawMultistatus = true;
            } else if (ns == kDav && name == QLatin1String("response")) {
                if (static_cast<int>(responses.size()) >= maxResponses)
                    return std::nullopt;
                current = DavResponse();
                inResponse = true;
            } else if (!inResponse) {
                continue;
            } else if (ns == kDav && name == QLatin1String("propstat")) {
                pending = DavResponse();
                inPropstat = true;
            } else if (ns == kDav && name == QLatin1String("href") && !inPropstat) {
                current.href = QUrl::fromPercentEncoding(xml.readElementText().trimmed().toUtf8());
            } else if (ns == kDav && name == QLatin1String("href")) {
                const QString href =
                    QUrl::fromPercentEncoding(xml.readElementText().trimmed().toUtf8());
                if (hrefOf == HrefOf::Principal)
                    pending.principal = href;
                else if (hrefOf == HrefOf::Home && pending.calendarHome.isEmpty())
                    pending.calendarHome = href;
            } else if (ns == kDav && name == QLatin1String("current-user-principal")) {
                hrefOf = HrefOf::Principal;
            } else if (ns == kCalDav && name == QLatin1String("calendar-home-set")) {
                hrefOf = HrefOf::Home;
            } else if (ns == kDav && name == QLatin1String("displayname")) {
                pending.displayName = xml.readElementText().simplified().left(kMaxNameLength);
            } else if (ns == kAppleIcal && name == QLatin1String("calendar-color")) {
                pending.color = xml.readElementText().trimmed().left(16);
            } else if (ns == kCalDav && name == QLatin1String("comp") &&
                       pending.components.size() < kMaxComponents) {
                pending.components << xml.attributes().value(QLatin1String("name")).toString();
            } else if (ns == kDav && name == QLatin1String("status")) {
                const int code = statusCode(xml.readElementText().trimmed());
                if (inPropstat)
                    pending.status = code;
                else
                    current.status = code;
            } else if (ns == kDav && name == QLatin1String("getetag")) {
                pending.etag = xml.readElementText().trimmed();
            } else if (ns == kCalServer && name == QLatin1String("getctag")) {
                pending.collectionTag = xml.readElementText().trimmed();
            } else if (ns == kDav && name == QLatin1String("resourcetype")) {
                inResourceType = true;
            } else if (inResourceType && ns == kCalDav && name == QLatin1String("calendar")) {
                pending.isCalendar = true;
            } else if (ns == kCalDav && name == QLatin1String("calendar-data")) {
                pending.calendarData = xml.readElementText().toUtf8();
            }
        } else if (xml.isEndElement()) {
            const auto ns = xml.namespaceUri();
            const auto name = xml.name();
            if (ns == kDav && name == QLatin1String("resourcetype")) {
                inResourceType = false;
            } else if ((ns == kDav && name == QLatin1String("current-user-principal")) ||
                       (ns == kCalDav && name == QLatin1String("calendar-home-set"))) {
                hrefOf = HrefOf::Response;
            } else if (ns == kDav && name == QLatin1String("propstat")) {
                inPropstat = false;
                if (pending.status >= 200 && pending.status < 300) {
                    current.status = pending.status;
                    if (!pending.etag.isEmpty())
                        current.etag = pending.etag;
                    if (!pending.collectionTag.isEmpty())
                        current.collectionTag = pending.collectionTag;
                    current.isCalendar = current.isCalendar || pending.isCalendar;
                    if (!pending.calendarData.isEmpty())
                        current.calendarData = pending.calendarData;
                    const std::initializer_list<std::pair<const QString*, QString*>> found = {
                        {&pending.principal, &current.principal},
                        {&pending.calendarHome, &current.calendarHome},
                        {&pending.displayName, &current.displayName},
                        {&pending.color, &current.color}};
                    for (const auto& [from, to] : found) {
                        if (!from->isEmpty())
                            *to = *from;
                    }
                    current.components << pending.components;
                } else if (current.status == 0) {
                    current.status = pending.status;
                }
            } else if (ns == kDav && name == QLatin1String("response")) {
                inResponse = false;
                if (!current.href.isEmpty())
                    responses.push_back(current);
            }
        }
    }
    if (xml.hasError() || !sawMultistatus)
        return std::nullopt;
    return responses;
}

QByteArray propfindCollectionBody() {
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<d:propfind xmlns:d=\"DAV:\" xmlns:cs=\"http://calendarserver.org/ns/\">"
        "<d:prop><d:resourcetype/><cs:getctag/></d:prop></d:propfind>");
}

QByteArray propfindDiscoveryBody() {
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
        "xmlns:i=\"http://apple.com/ns/ical/\"><d:prop><d:resourcetype/>"
        "<d:current-user-principal/><c:calendar-home-set/><d:displayname/>"
        "<i:calendar-color/><c:supported-calendar-component-set/></d:prop></d:propfind>");
}

namespace {

// A CalDAV report asking for each calendar object's etag (and its data when
// `withData`); `addConditions` writes what follows the properties.
template <typename AddConditions>
QByteArray reportBody(const QString& report, bool withData, AddConditions addConditions) {
    QByteArray body;
    QXmlStreamWriter w(&body);
    w.writeStartDocument();
    w.writeNamespace(kDav, QStringLiteral("d"));
    w.writeNamespace(kCalDav, QStringLiteral("c"));
    w.writeStartElement(kCalDav, report);
    w.writeStartElement(kDav, QStringLiteral("prop"));
    w.writeEmptyElement(kDav, QStringLiteral("getetag"));
    if (withData)
        w.writeEmptyElement(kCalDav, QStringLiteral("calendar-data"));
    w.writeEndElement();
    addConditions(w);
    w.writeEndDocument();
    return body;
}

} // namespace

QByteArray calendarQueryBody(const QString& startUtc, const QString& endUtc) {
    return reportBody(QStringLiteral("calendar-query"), false, [&](QXmlStreamWriter& w) {
        w.writeStartElement(kCalDav, QStringLiteral("filter"));
        w.writeStartElement(kCalDav, QStringLiteral("comp-filter"));
        w.writeAttribute(QStringLiteral("name"), QStringLiteral("VCALENDAR"));
        w.writeStartElement(kCalDav, QStringLiteral("comp-filter"));
        w.writeAttribute(QStringLiteral("name"), QStringLiteral("VEVENT"));
        w.writeEmptyElement(kCalDav, QStringLiteral("time-range"));
        w.writeAttribute(QStringLiteral("start"), startUtc);
        w.writeAttribute(QStringLiteral("end"), endUtc);
    });
}

QByteArray calendarMultigetBody(const std::vector<QString>& hrefs) {
    return reportBody(QStringLiteral("calendar-multiget"), true, [&](QXmlStreamWriter& w) {
        for (const QString& href : hrefs)
            w.writeTextElement(kDav, QStringLiteral("href"),
                               QString::fromUtf8(QUrl::toPercentEncoding(href, "/@:")));
    });
}

} // namespace tanzo
