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

namespace {

// The properties of a propstat whose status is 2xx join its response.
void takePropstat(const DavResponse& pending, DavResponse& current) {
    if (pending.status < 200 || pending.status >= 300) {
        if (current.status == 0)
            current.status = pending.status;
        return;
    }
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
}

// Reads a multistatus body one element at a time.
class MultistatusReader {
public:
    MultistatusReader(const QByteArray& body, int maxResponses)
        : m_xml(body), m_maxResponses(maxResponses) {}

    std::optional<std::vector<DavResponse>> read() {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement() && !start())
                return std::nullopt;
            if (m_xml.isEndElement())
                end();
        }
        if (m_xml.hasError() || !m_sawMultistatus)
            return std::nullopt;
        return std::move(m_responses);
    }

private:
    bool is(QStringView ns, QLatin1String name) const {
        return m_xml.namespaceUri() == ns && m_xml.name() == name;
    }
    QString text() { return m_xml.readElementText().trimmed(); }
    QString hrefText() { return QUrl::fromPercentEncoding(text().toUtf8()); }

    // False when there are more responses than allowed.
    bool start() {
        if (is(kDav, QLatin1String("multistatus"))) {
            m_sawMultistatus = true;
        } else if (is(kDav, QLatin1String("response"))) {
            if (static_cast<int>(m_responses.size()) >= m_maxResponses)
                return false;
            m_current = DavResponse();
            m_inResponse = true;
        } else if (!m_inResponse) {
            return true;
        } else if (is(kDav, QLatin1String("propstat"))) {
            m_pending = DavResponse();
            m_inPropstat = true;
        } else if (is(kDav, QLatin1String("href"))) {
            startHref();
        } else if (is(kDav, QLatin1String("current-user-principal"))) {
            m_hrefOf = HrefOf::Principal;
        } else if (is(kCalDav, QLatin1String("calendar-home-set"))) {
            m_hrefOf = HrefOf::Home;
        } else if (is(kDav, QLatin1String("status"))) {
            (m_inPropstat ? m_pending : m_current).status = statusCode(text());
        } else if (is(kDav, QLatin1String("resourcetype"))) {
            m_inResourceType = true;
        } else {
            startProperty();
        }
        return true;
    }

    void startHref() {
        if (!m_inPropstat) {
            m_current.href = hrefText();
            return;
        }
        const QString href = hrefText();
        if (m_hrefOf == HrefOf::Principal)
            m_pending.principal = href;
        else if (m_hrefOf == HrefOf::Home && m_pending.calendarHome.isEmpty())
            m_pending.calendarHome = href;
    }

    void startProperty() {
        if (is(kDav, QLatin1String("displayname"))) {
            m_pending.displayName = m_xml.readElementText().simplified().left(kMaxNameLength);
        } else if (is(kAppleIcal, QLatin1String("calendar-color"))) {
            m_pending.color = text().left(16);
        } else if (is(kCalDav, QLatin1String("comp")) &&
                   m_pending.components.size() < kMaxComponents) {
            m_pending.components << m_xml.attributes().value(QLatin1String("name")).toString();
        } else if (is(kDav, QLatin1String("getetag"))) {
            m_pending.etag = text();
        } else if (is(kCalServer, QLatin1String("getctag"))) {
            m_pending.collectionTag = text();
        } else if (m_inResourceType && is(kCalDav, QLatin1String("calendar"))) {
            m_pending.isCalendar = true;
        } else if (is(kCalDav, QLatin1String("calendar-data"))) {
            m_pending.calendarData = m_xml.readElementText().toUtf8();
        }
    }

    void end() {
        if (is(kDav, QLatin1String("resourcetype"))) {
            m_inResourceType = false;
        } else if (is(kDav, QLatin1String("current-user-principal")) ||
                   is(kCalDav, QLatin1String("calendar-home-set"))) {
            m_hrefOf = HrefOf::Response;
        } else if (is(kDav, QLatin1String("propstat"))) {
            m_inPropstat = false;
            takePropstat(m_pending, m_current);
        } else if (is(kDav, QLatin1String("response"))) {
            m_inResponse = false;
            if (!m_current.href.isEmpty())
                m_responses.push_back(m_current);
        }
    }

    QXmlStreamReader m_xml;
    const int m_maxResponses;
    std::vector<DavResponse> m_responses;
    bool m_sawMultistatus = false;
    DavResponse m_current;
    // Properties sit in a propstat whose own status comes after them; they
    // are taken only when that status is 2xx.
    DavResponse m_pending;
    bool m_inResponse = false;
    bool m_inPropstat = false;
    bool m_inResourceType = false;
    // The href inside these properties is theirs, not the response's.
    enum class HrefOf { Response, Principal, Home } m_hrefOf = HrefOf::Response;
};

} // namespace

std::optional<std::vector<DavResponse>> parseMultistatus(const QByteArray& body, int maxResponses) {
    return MultistatusReader(body, maxResponses).read();
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

CollectionFacts collectionFacts(const std::vector<DavResponse>& responses) {
    CollectionFacts facts;
    for (const DavResponse& r : responses) {
        facts.isCalendar = facts.isCalendar || r.isCalendar;
        if (!r.collectionTag.isEmpty())
            facts.tag = r.collectionTag;
    }
    return facts;
}

} // namespace tanzo
