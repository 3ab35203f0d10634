#include "OwnPull.h"

#include "DavRequests.h"
#include "calendar/IcsWorker.h"
#include "subscriptions/Multistatus.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace tanzo {
namespace {

const QByteArray kListingBody = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype/><d:getetag/></d:prop></d:propfind>");
const QByteArray kXml = QByteArrayLiteral("application/xml; charset=utf-8");

std::vector<FetchedEvent> readAll(const std::vector<std::pair<QString, QByteArray>>& fetched,
                                  const QMap<QString, QString>& etags) {
    std::vector<FetchedEvent> events;
    events.reserve(fetched.size());
    for (const auto& [href, bytes] : fetched)
        events.push_back({href, etags.value(href), readOwnEvent(bytes)});
    return events;
}

} // namespace

QString collectionPathOf(const QUrl& collection) {
    QString path = collection.path();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

OwnPull::OwnPull(DavRequests& requests, QUrl collection, QObject* parent)
    : QObject(parent), m_requests(requests), m_collection(std::move(collection)) {}

void OwnPull::start(QString knownTag, QMap<QString, SyncedEvent> known, Done done) {
    m_knownTag = std::move(knownTag);
    m_known = std::move(known);
    m_done = std::move(done);
    askCollectionTag();
}

void OwnPull::end(Outcome outcome) {
    m_known = {}; // no copy of its own once a push changes the events
    // Taken first: done may end this object's run, and with it this object.
    const Done done = std::exchange(m_done, {});
    if (done)
        done(std::move(outcome));
}

void OwnPull::fail(const QString& problem) {
    Outcome outcome;
    outcome.problem = problem;
    end(std::move(outcome));
}

void OwnPull::ask(const QByteArray& verb, const QByteArray& body, DavRequests::Headers headers,
                  std::function<void(const DavAnswer&)> answered) {
    // An answer after the pull ended, or a request that never got one, goes
    // no further.
    m_requests.send(verb, m_collection, body, kXml, std::move(headers),
                    [this, answered = std::move(answered)](const DavAnswer& answer) {
                        if (!m_done)
                            return;
                        if (!answer.problem.isEmpty())
                            fail(answer.problem);
                        else
                            answered(answer);
                    });
}

void OwnPull::askCollectionTag() {
    ask("PROPFIND", propfindCollectionBody(), {{"Depth", "0"}}, [this](const DavAnswer& answer) {
        const auto responses = parseMultistatus(answer.body, 16);
        if (answer.http == 404 || !responses) {
            fail(answer.http == 404
                     ? QStringLiteral("カレンダーが見つかりません（404）。")
                     : QStringLiteral("サーバーの応答を読めませんでした（PROPFIND）。"));
            return;
        }
        const auto [calendar, tag] = collectionFacts(*responses);
        if (!calendar) {
            fail(QStringLiteral("このURLはCalDAVのカレンダーではありません。"));
            return;
        }
        if (!tag.isEmpty() && tag == m_knownTag) {
            Outcome outcome;
            outcome.unchanged = true;
            end(std::move(outcome));
            return;
        }
        emit tagOutdated(); // taken again once the pull is in
        m_tagSeen = tag;
        listEvents();
    });
}

void OwnPull::listEvents() {
    ask("PROPFIND", kListingBody, {{"Depth", "1"}}, [this](const DavAnswer& answer) {
        const auto responses = parseMultistatus(answer.body, kMaxEvents + 1);
        if (!responses) {
            fail(QStringLiteral("サーバーの応答を読めませんでした"
                                "（件数が多すぎるか、形が違います）。"));
            return;
        }
        const QString collection = collectionPathOf(m_collection);
        for (const DavResponse& r : *responses) {
            if (r.status != 200 || r.href.endsWith(QLatin1Char('/')) || r.href == collection)
                continue;
            m_listing.insert(r.href, r.etag);
        }
        for (auto it = m_listing.cbegin(); it != m_listing.cend(); ++it) {
            const auto old = m_known.constFind(it.key());
            if (old == m_known.cend() || old->etag != it.value() || it.value().isEmpty())
                m_toFetch.push_back(it.key());
        }
        fetchChanged();
    });
}

void OwnPull::fetchChanged() {
    if (m_toFetch.empty()) {
        readFetched();
        return;
    }
    const auto count = std::min<size_t>(m_toFetch.size(), kMultigetBatch);
    std::vector<QString> batch(m_toFetch.begin(), m_toFetch.begin() + long(count));
    m_toFetch.erase(m_toFetch.begin(), m_toFetch.begin() + long(count));
    ask("REPORT", calendarMultigetBody(batch), {{"Depth", "1"}}, [this](const DavAnswer& answer) {
        const auto responses = parseMultistatus(answer.body, kMultigetBatch);
        if (!responses) {
            fail(QStringLiteral("サーバーの応答を読めませんでした（calendar-multiget）。"));
            return;
        }
        for (const DavResponse& r : *responses) {
            if (r.status != 200)
                continue; // gone meanwhile: the next pull sees it
            m_fetched.emplace_back(r.href, r.calendarData);
            m_fetchedEtags.insert(r.href, r.etag);
        }
        fetchChanged();
    });
}

void OwnPull::readFetched() {
    using Read = std::vector<FetchedEvent>;
    auto* watcher = new QFutureWatcher<Read>(this);
    connect(watcher, &QFutureWatcher<Read>::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (!m_done)
            return;
        Outcome outcome;
        outcome.tag = m_tagSeen;
        outcome.listing = m_listing;
        outcome.fetched = watcher->future().takeResult();
        end(std::move(outcome));
    });
    watcher->setFuture(
        QtConcurrent::run(&ics::worker(), readAll, std::move(m_fetched), m_fetchedEtags));
    m_fetched = {};
}

} // namespace tanzo
