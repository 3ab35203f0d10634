#pragma once

#include "OwnCalendarPlan.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

namespace tanzo {

class DavRequests;

// Sends the steps planPush made, one request at a time, in their order:
// their bodies are made on the libical worker first, each write carries
// If-Match (If-None-Match for a new event). It stops at the first step the
// server does not take. One push per object; it sends through requests it
// does not own.
class OwnPush : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        enum class Kind {
            Sent,      // every step
            Overtaken, // an event changed or went on the server since the last pull
            Failed,
        };
        Kind kind = Kind::Sent;
        QString problem; // for people, when Failed
    };
    // A step the server took, with the ETag it answered; `sent` counts the
    // steps taken so far.
    using Sent = std::function<void(const PushStep& step, const QString& etag, int sent)>;
    using Done = std::function<void(const Outcome&)>;

    OwnPush(DavRequests& requests, QUrl collection, std::vector<PushStep> steps,
            QObject* parent = nullptr);

    // The events' alarms come `noticeMinutes` ahead (negative: at the start);
    // `stamp` is their DTSTAMP. Done once, through the event loop.
    void start(int noticeMinutes, const QDateTime& stamp, Sent sent, Done done);
    // No further request is sent and neither callback is called.
    void cancel() { m_done = {}; }

private:
    void sendNext();
    void end(Outcome::Kind kind, const QString& problem = {});

    DavRequests& m_requests;
    QUrl m_collection;
    std::vector<PushStep> m_steps;
    std::vector<QByteArray> m_bodies; // of m_steps, made on the libical worker
    size_t m_next = 0;
    Sent m_sent;
    Done m_done;
};

} // namespace tanzo
