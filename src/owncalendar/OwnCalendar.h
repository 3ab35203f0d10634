#pragma once

#include "OwnCalendarPlan.h"
#include "OwnCalendarState.h"
#include "OwnPull.h"
#include "OwnSeries.h"
#include "platform/AtomicWriter.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QTimer;

namespace tanzo {

class Clock;
class DavRequests;
class OwnPush;
class PasswordStore;
class ScheduleStore;

// The user's own calendar on a CalDAV server, kept in step with TANZO.DAT
// both ways. A pull asks the collection's ctag, then the ETags of its
// events, fetches the new and changed ones and lays them over the list
// through the store's merge; a push sends what the board changed since the
// last sync (see planPush) with If-Match / If-None-Match. Pushes follow each
// change of the list at once; pulls come with sync(), every 15 minutes and
// on a new day. Everything is asynchronous: requests answer through the
// event loop and events are read on the libical worker. Without an own
// calendar set, nothing is read, written or sent. The steps of a run are
// OwnPull's and OwnPush's; this class keeps the state between runs, lays a
// pull over the list and decides when the next run comes.
class OwnCalendar : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(bool ok, const QString& message)>;

    // `noticeMinutes` gives the advance notice for the events' alarms
    // (negative: at the start).
    OwnCalendar(ScheduleStore& store, const Clock& clock, PasswordStore& passwords,
                std::function<int()> noticeMinutes, QObject* parent = nullptr,
                AtomicWriterFactory writers = makeSaveFileWriter);
    ~OwnCalendar() override;

    // Reads the state beside the data file. False with *problem when it
    // cannot be read.
    bool load(QString* problem = nullptr);
    bool isSet() const { return m_state.has_value(); }
    std::optional<OwnCalendarConfig> config() const;
    bool isSyncing() const { return m_running; }
    // Appointments that wait to be sent.
    int pendingCount() const;
    // For people: 未同期, 正常 and when, or why the last sync failed; and
    // how many changes wait.
    QString status() const;
    // The appointments changed on both sides in the last sync, for people.
    QStringList lastConflicts() const { return m_conflicts; }
    // The calendar's series, as the board shows them.
    OwnSeries& series() { return *m_series; }

    // Makes `config` the own calendar (its password into the secret store)
    // and syncs it once; done when that sync ends.
    void set(const OwnCalendarConfig& config, const QString& password, Done done);
    // Forgets the own calendar: the state file and the password go,
    // TANZO.DAT stays as it is.
    void clear(Done done);
    // Pulls, then pushes; done when both are through.
    void sync(Done done = {});
    // From now on: pushes after each change of the list, and pulls every 15
    // minutes and on a new day.
    void startFollowing();

    static constexpr int kPullMinutes = 15;
    static constexpr int kMaxEvents = OwnPull::kMaxEvents;
    static constexpr int kMultigetBatch = OwnPull::kMultigetBatch;
    static constexpr int kSyncTimeoutMs = 5 * 60 * 1000;

signals:
    void statusChanged();
    // Appointments changed on both sides: the server's version was taken.
    void conflictsFound(const QStringList& messages);

private:
    void run(bool pull);
    void withPassword(std::function<void()> next);
    void pull();
    void applyPull(const QString& tag, const QMap<QString, QString>& listing,
                   const std::vector<FetchedEvent>& fetched);
    void push();
    void pushOvertaken();
    void finish(const QString& problem);
    void dropSteps();
    bool saveState();
    void checkDue();
    void showSeries();

    ScheduleStore& m_store;
    const Clock& m_clock;
    PasswordStore& m_passwords;
    std::function<int()> m_noticeMinutes;
    AtomicWriterFactory m_writers;
    QString m_path;
    std::optional<OwnCalendarState> m_state;
    std::optional<QString> m_password;
    QPointer<DavRequests> m_requests;
    QTimer* m_deadline = nullptr;
    QTimer* m_due = nullptr;
    bool m_running = false;
    bool m_pullAgain = false;
    bool m_pushAgain = false;
    bool m_repulled = false;
    int m_failures = 0; // runs failed in a row
    QDateTime m_lastAttempt;
    std::vector<Done> m_waiting;
    // The steps of the run under way, if any.
    QPointer<OwnPull> m_pull;
    QPointer<OwnPush> m_push;
    QStringList m_conflicts;
    OwnSeries* m_series = nullptr;
    QString m_lastConflictNote;
};

} // namespace tanzo
