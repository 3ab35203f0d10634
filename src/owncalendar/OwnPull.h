#pragma once

#include "DavRequests.h"
#include "OwnCalendarPlan.h"
#include "OwnCalendarState.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <utility>
#include <vector>

namespace tanzo {

// The collection's path as its events' hrefs begin, with the trailing slash.
QString collectionPathOf(const QUrl& collection);

// What the own calendar holds now, against what was last synced: the
// collection's ctag, then the ETags of all its events, then the new and
// changed ones in calendar-multiget batches, read on the libical worker.
// One pull per object; it sends through requests it does not own.
class OwnPull : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        QString problem; // for people; empty when the pull is in
        // The ctag is the one last synced: nothing was listed or fetched.
        bool unchanged = false;
        QString tag;                       // the ctag when the pull began
        QMap<QString, QString> listing;    // href -> ETag of every event
        std::vector<FetchedEvent> fetched; // the new and changed ones
    };
    using Done = std::function<void(Outcome)>;

    OwnPull(DavRequests& requests, QUrl collection, QObject* parent = nullptr);

    // `knownTag` is the ctag last synced (empty: list whatever it is now),
    // `known` the events as last synced. Done once, through the event loop.
    void start(QString knownTag, QMap<QString, SyncedEvent> known, Done done);
    // No further request is sent and done is not called.
    void cancel() { m_done = {}; }

    static constexpr int kMaxEvents = 20000;
    static constexpr int kMultigetBatch = 200;

signals:
    // The collection is not as last synced (or is listed again anyway):
    // the ctag kept no longer stands for what was synced.
    void tagOutdated();

private:
    // Sends one request on the collection; `answered` gets only an answer
    // that came while the pull runs.
    void ask(const QByteArray& verb, const QByteArray& body, DavRequests::Headers headers,
             std::function<void(const DavAnswer&)> answered);
    void askCollectionTag();
    void listEvents();
    void fetchChanged();
    void readFetched();
    void end(Outcome outcome);
    void fail(const QString& problem);

    DavRequests& m_requests;
    QUrl m_collection;
    QString m_knownTag;
    QMap<QString, SyncedEvent> m_known;
    Done m_done;
    QString m_tagSeen;
    QMap<QString, QString> m_listing;
    std::vector<QString> m_toFetch;
    std::vector<std::pair<QString, QByteArray>> m_fetched;
    QMap<QString, QString> m_fetchedEtags;
};

} // namespace tanzo
