#include "OwnPush.h"

#include "DavRequests.h"
#include "calendar/IcsWorker.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace tanzo {
namespace {

std::vector<QByteArray> bodiesOf(const std::vector<PushStep>& steps, int noticeMinutes,
                                 const QDateTime& stamp) {
    std::vector<QByteArray> bodies;
    bodies.reserve(steps.size());
    for (const PushStep& step : steps)
        bodies.push_back(step.kind == PushStep::Kind::Remove
                             ? QByteArray()
                             : ownEventText(step.entry, step.uid, noticeMinutes, stamp));
    return bodies;
}

} // namespace

OwnPush::OwnPush(DavRequests& requests, QUrl collection, std::vector<PushStep> steps,
                 QObject* parent)
    : QObject(parent), m_requests(requests), m_collection(std::move(collection)),
      m_steps(std::move(steps)) {}

void OwnPush::start(int noticeMinutes, const QDateTime& stamp, Sent sent, Done done) {
    m_sent = std::move(sent);
    m_done = std::move(done);
    // libical runs on its one thread only.
    using Bodies = std::vector<QByteArray>;
    auto* watcher = new QFutureWatcher<Bodies>(this);
    connect(watcher, &QFutureWatcher<Bodies>::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (!m_done)
            return;
        m_bodies = watcher->future().takeResult();
        sendNext();
    });
    watcher->setFuture(QtConcurrent::run(&ics::worker(), bodiesOf, m_steps, noticeMinutes, stamp));
}

void OwnPush::end(Outcome::Kind kind, const QString& problem) {
    // Taken first: done may end this object's run, and with it this object.
    const Done done = std::exchange(m_done, {});
    if (done)
        done({kind, problem});
}

void OwnPush::sendNext() {
    if (m_next >= m_steps.size()) {
        end(Outcome::Kind::Sent);
        return;
    }
    const PushStep& step = m_steps[m_next];
    QUrl url = m_collection;
    url.setPath(step.href);
    DavRequests::Headers headers;
    if (step.kind == PushStep::Kind::Create)
        headers << std::pair(QByteArray("If-None-Match"), QByteArray("*"));
    else if (!step.etag.isEmpty())
        headers << std::pair(QByteArray("If-Match"), step.etag.toUtf8());
    const bool remove = step.kind == PushStep::Kind::Remove;
    m_requests.send(remove ? "DELETE" : "PUT", url, m_bodies[m_next],
                    remove ? QByteArray() : QByteArray("text/calendar; charset=utf-8"), headers,
                    [this](const DavAnswer& answer) {
                        if (!m_done)
                            return;
                        if (!answer.problem.isEmpty()) {
                            end(Outcome::Kind::Failed, answer.problem);
                            return;
                        }
                        const PushStep& step = m_steps[m_next];
                        if (answer.http == 412 ||
                            (answer.http == 404 && step.kind == PushStep::Kind::Update)) {
                            end(Outcome::Kind::Overtaken);
                            return;
                        }
                        if (answer.http >= 400 &&
                            !(answer.http == 404 && step.kind == PushStep::Kind::Remove)) {
                            end(Outcome::Kind::Failed,
                                QStringLiteral("サーバーが予定を受け付けませんでした（%1）。")
                                    .arg(answer.http));
                            return;
                        }
                        ++m_next;
                        m_sent(step, answer.etag, static_cast<int>(m_next));
                        if (m_done)
                            sendNext();
                    });
}

} // namespace tanzo
