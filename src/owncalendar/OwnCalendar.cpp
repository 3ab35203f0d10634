#include "OwnCalendar.h"

#include "DavRequests.h"
#include "OwnPush.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "schedule/ScheduleStore.h"
#include "subscriptions/SyncMachinery.h"

#include <QFile>
#include <QTimer>
#include <QUuid>

namespace tanzo {
namespace {

constexpr int kDueCheckMs = 60 * 1000;
// Changes pushed are written to the state file in groups, and at the end.
constexpr int kSaveEvery = 50;

// A step of a run no longer wanted: it sends nothing more and no answer
// of its comes through. Deleted later, as this may be its own callback.
template <class Step> void dropStep(QPointer<Step>& step) {
    if (!step)
        return;
    step->cancel();
    step->deleteLater();
    step = nullptr;
}

} // namespace

OwnCalendar::OwnCalendar(ScheduleStore& store, const Clock& clock, PasswordStore& passwords,
                         std::function<int()> noticeMinutes, QObject* parent,
                         AtomicWriterFactory writers)
    : QObject(parent), m_store(store), m_clock(clock), m_passwords(passwords),
      m_noticeMinutes(std::move(noticeMinutes)), m_writers(std::move(writers)),
      m_path(paths::ownCalendarStatePath(store.path())), m_series(new OwnSeries(clock, this)) {}

OwnCalendar::~OwnCalendar() {
    if (m_requests)
        delete m_requests.data();
}

bool OwnCalendar::load(QString* problem) {
    m_state = readOwnCalendarState(m_path, problem);
    emit statusChanged();
    showSeries();
    return !problem || problem->isEmpty();
}

std::optional<OwnCalendarConfig> OwnCalendar::config() const {
    return m_state ? std::optional(m_state->config) : std::nullopt;
}

int OwnCalendar::pendingCount() const {
    if (!m_state || !m_store.isLoaded())
        return 0;
    return static_cast<int>(planPush(
                                *m_state, m_store.entries(), QString(), [] { return QString(); },
                                oldestKeptDay(m_clock.today()))
                                .size());
}

QString OwnCalendar::status() const {
    if (!m_state)
        return QStringLiteral("設定されていません");
    QString text;
    if (m_running)
        text = QStringLiteral("同期中");
    else if (!m_state->lastProblem.isEmpty())
        text = m_state->lastProblem;
    else if (!m_state->lastSync.isValid())
        text = QStringLiteral("未同期");
    else
        text = QStringLiteral("正常（最終同期 %1）")
                   .arg(m_state->lastSync.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    if (const int pending = pendingCount(); pending > 0)
        text += QStringLiteral("　送信待ち%1件").arg(pending);
    if (!m_lastConflictNote.isEmpty())
        text += QStringLiteral("　") + m_lastConflictNote;
    return text;
}

void OwnCalendar::set(const OwnCalendarConfig& config, const QString& password, Done done) {
    if (m_running) {
        done(false, QStringLiteral("同期中です。終わってからもう一度設定してください。"));
        return;
    }
    OwnCalendarState state;
    // Set again to the same calendar: what was synced stays synced.
    if (m_state && m_state->config.url == config.url)
        state = *m_state;
    state.config = config;
    state.lastProblem.clear();
    const std::optional<OwnCalendarState> before = m_state;
    m_state = state;
    if (!saveState()) {
        m_state = before;
        done(false, QStringLiteral("自分のカレンダーの設定を書き込めませんでした: %1").arg(m_path));
        return;
    }
    m_password = password;
    const auto syncFirst = [this, done](const QString& note) {
        sync([done, note](bool ok, const QString& message) {
            done(ok, note.isEmpty() ? message : message + QLatin1Char('\n') + note);
        });
    };
    if (config.user.isEmpty()) {
        m_passwords.remove(kOwnCalendarAccount, [syncFirst](const QString&) { syncFirst({}); });
        return;
    }
    m_passwords.write(kOwnCalendarAccount, password,
                      [syncFirst](bool, const QString& note) { syncFirst(note); });
}

void OwnCalendar::clear(Done done) {
    if (!m_state) {
        done(false, QStringLiteral("自分のカレンダーは設定されていません。"));
        return;
    }
    dropSteps();
    if (m_requests)
        delete m_requests.data();
    if (QFile::exists(m_path) && !QFile::remove(m_path)) {
        done(false, QStringLiteral("同期記録を消せませんでした: %1").arg(m_path));
        return;
    }
    const bool hadUser = !m_state->config.user.isEmpty();
    m_state.reset();
    m_password.reset();
    m_running = false;
    showSeries();
    m_conflicts.clear();
    m_lastConflictNote.clear();
    std::vector<Done> waiting;
    waiting.swap(m_waiting);
    for (const Done& d : waiting) {
        if (d)
            d(false, QStringLiteral("自分のカレンダーの設定をやめました。"));
    }
    emit statusChanged();
    if (!hadUser) {
        done(true, QString());
        return;
    }
    m_passwords.remove(kOwnCalendarAccount,
                       [done](const QString& problem) { done(true, problem); });
}

void OwnCalendar::sync(Done done) {
    if (!m_state) {
        if (done)
            done(true, QString());
        return;
    }
    m_waiting.push_back(std::move(done));
    if (m_running) {
        m_pullAgain = true;
        return;
    }
    run(true);
}

void OwnCalendar::startFollowing() {
    if (m_due)
        return;
    // A change of the list is sent once the handler that made it has
    // returned; notice flags stay local.
    connect(&m_store, &ScheduleStore::changed, this, [this](ScheduleStore::Change what) {
        if (!m_state || what != ScheduleStore::Change::List)
            return;
        if (m_running) {
            m_pushAgain = true;
            return;
        }
        QTimer::singleShot(0, this, [this] {
            if (m_state && !m_running)
                run(false);
        });
    });
    m_due = new QTimer(this);
    connect(m_due, &QTimer::timeout, this, &OwnCalendar::checkDue);
    m_due->start(kDueCheckMs);
    checkDue();
}

void OwnCalendar::checkDue() {
    if (!m_state || m_running)
        return;
    const QDateTime now = m_clock.now();
    if (m_series->isStale())
        showSeries();
    // After a failure the server is asked again in 1, 2, 4 and 8 minutes,
    // then every 15: soon when it was a moment away, never a flood when it
    // refuses the password.
    if (m_failures > 0 && m_lastAttempt.isValid()) {
        const qint64 wait =
            std::min<qint64>(60LL << std::min(m_failures - 1, 4), kPullMinutes * 60);
        if (m_lastAttempt.secsTo(now) >= wait)
            sync();
        return;
    }
    const QDateTime last = m_state->lastSync;
    if (!last.isValid() || last.date() != now.date() || last.secsTo(now) >= kPullMinutes * 60)
        sync();
}

void OwnCalendar::withPassword(std::function<void()> next) {
    if (m_password || m_state->config.user.isEmpty()) {
        next();
        return;
    }
    QPointer<OwnCalendar> guard(this);
    m_passwords.read(kOwnCalendarAccount, [guard, next = std::move(next)](const QString& password,
                                                                          const QString& problem) {
        if (!guard || !guard->m_state)
            return;
        if (!problem.isEmpty()) {
            guard->finish(problem);
            return;
        }
        guard->m_password = password;
        next();
    });
}

void OwnCalendar::run(bool pull) {
    m_running = true;
    m_lastAttempt = m_clock.now();
    m_repulled = false;
    m_conflicts.clear();
    if (!pull) {
        // Nothing to send, nothing to ask: no network at all.
        m_store.ensureLoaded(m_clock.today());
        if (pendingCount() == 0) {
            m_running = false;
            return;
        }
    }
    emit statusChanged();
    if (!m_deadline) {
        m_deadline = new QTimer(this);
        m_deadline->setSingleShot(true);
        connect(m_deadline, &QTimer::timeout, this,
                [this] { finish(QStringLiteral("同期が時間内に終わりませんでした。")); });
    }
    m_deadline->start(kSyncTimeoutMs);
    withPassword([this, pull] {
        delete m_requests.data();
        m_requests = new DavRequests(m_state->config.url, m_state->config.user,
                                     m_password.value_or(QString()),
                                     m_state->config.trustedCertificate, this);
        if (pull)
            this->pull();
        else
            push();
    });
}

void OwnCalendar::pull() {
    auto* pull = new OwnPull(*m_requests, m_state->config.url, this);
    m_pull = pull;
    connect(pull, &OwnPull::tagOutdated, this, [this] {
        if (m_state)
            m_state->collectionTag.clear();
    });
    // After a push was overtaken the events are listed whatever the ctag.
    pull->start(m_repulled ? QString() : m_state->collectionTag, m_state->events,
                [this](OwnPull::Outcome outcome) {
                    if (!outcome.problem.isEmpty())
                        finish(outcome.problem);
                    else if (outcome.unchanged)
                        push();
                    else
                        applyPull(outcome.tag, outcome.listing, outcome.fetched);
                });
}

void OwnCalendar::applyPull(const QString& tag, const QMap<QString, QString>& listing,
                            const std::vector<FetchedEvent>& fetched) {
    m_store.ensureLoaded(m_clock.today());
    // A copy: the store reads the file again first when another program
    // wrote it, and the merge lays this edit over what it finds.
    const DayList base = m_store.entries();
    PullPlan plan = planPull(*m_state, listing, fetched, base, oldestKeptDay(m_clock.today()));
    if (plan.changesList) {
        const ScheduleStore::EditOutcome outcome = m_store.applyEdit(base, plan.lines);
        if (!outcome.ok) {
            finish(QStringLiteral("スケジュールデータに書き込めませんでした。"));
            return;
        }
    }
    plan.next.collectionTag = tag;
    plan.next.lastProblem.clear();
    m_state = std::move(plan.next);
    for (const PullPlan::Conflict& c : plan.conflicts)
        m_conflicts << conflictMessage(c);
    if (!m_conflicts.isEmpty())
        emit conflictsFound(m_conflicts);
    saveState();
    showSeries();
    push();
}

void OwnCalendar::push() {
    m_store.ensureLoaded(m_clock.today());
    std::vector<PushStep> steps = planPush(
        *m_state, m_store.entries(), collectionPathOf(m_state->config.url),
        [] {
            return QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@tanzo");
        },
        oldestKeptDay(m_clock.today()));
    if (steps.empty()) {
        finish(QString());
        return;
    }
    auto* push = new OwnPush(*m_requests, m_state->config.url, std::move(steps), this);
    m_push = push;
    const auto sent = [this](const PushStep& step, const QString& etag, int count) {
        if (step.kind == PushStep::Kind::Remove)
            m_state->events.remove(step.href);
        else
            m_state->events.insert(step.href, {step.uid, etag, step.entry});
        // Our own write changes the ctag: a stale one only costs a listing.
        m_state->collectionTag.clear();
        if (count % kSaveEvery == 0)
            saveState();
    };
    push->start(m_noticeMinutes(), m_clock.now(), sent, [this](const OwnPush::Outcome& outcome) {
        switch (outcome.kind) {
        case OwnPush::Outcome::Kind::Sent:
            finish(QString());
            break;
        case OwnPush::Outcome::Kind::Overtaken:
            pushOvertaken();
            break;
        case OwnPush::Outcome::Kind::Failed:
            finish(outcome.problem);
            break;
        }
    });
}

// Changed or deleted on the server since the last pull: a pull first, in
// which the server's version wins; then what is left.
void OwnCalendar::pushOvertaken() {
    if (m_repulled) {
        finish(QStringLiteral("サーバーの予定が同期中に変わりました。"
                              "次の同期でもう一度送ります。"));
        return;
    }
    m_repulled = true;
    saveState();
    dropSteps();
    pull();
}

void OwnCalendar::dropSteps() {
    dropStep(m_pull);
    dropStep(m_push);
}

void OwnCalendar::finish(const QString& failure) {
    if (!m_running)
        return;
    QString problem = failure;
    m_running = false;
    if (m_deadline)
        m_deadline->stop();
    dropSteps();
    if (m_requests)
        m_requests->deleteLater();
    m_requests = nullptr;
    if (m_state) {
        m_state->lastProblem = problem;
        if (problem.isEmpty())
            m_state->lastSync = m_clock.now();
        m_lastConflictNote =
            m_conflicts.isEmpty()
                ? QString()
                : QStringLiteral("両方で変更された予定%1件はサーバーの内容にしました")
                      .arg(m_conflicts.size());
        // Without the record, the next start would not know what the server
        // already has (its pull then takes the same appointments as they are).
        if (!saveState() && problem.isEmpty()) {
            problem = QStringLiteral("同期記録を書き込めませんでした: %1").arg(m_path);
            m_state->lastProblem = problem;
        }
        m_failures = problem.isEmpty() ? 0 : m_failures + 1;
    }
    std::vector<Done> waiting;
    waiting.swap(m_waiting);
    const QString message = problem.isEmpty() ? m_conflicts.join(QLatin1Char('\n')) : problem;
    emit statusChanged();
    for (const Done& d : waiting) {
        if (d)
            d(problem.isEmpty(), message);
    }
    if (!m_state)
        return;
    if (m_pullAgain || m_pushAgain) {
        const bool pull = m_pullAgain;
        m_pullAgain = m_pushAgain = false;
        QTimer::singleShot(0, this, [this, pull] {
            if (m_state && !m_running)
                run(pull);
        });
    }
}

void OwnCalendar::showSeries() {
    std::vector<QByteArray> texts;
    if (m_state) {
        for (const SyncedEvent& e : std::as_const(m_state->events)) {
            if (!e.seriesText.isEmpty())
                texts.push_back(e.seriesText);
        }
    }
    m_series->show(std::move(texts));
}

bool OwnCalendar::saveState() {
    return m_state && writeOwnCalendarState(m_path, *m_state, m_writers);
}

} // namespace tanzo
