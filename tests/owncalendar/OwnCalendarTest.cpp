// The own calendar's logic without a server: an appointment as an event and
// back, and how a pull and a push sort out what changed on which side; and
// how a push and a whole sync take the server's answers, against a canned
// one.
#include "owncalendar/OwnCalendar.h"
#include "owncalendar/DavRequests.h"
#include "owncalendar/OwnCalendarPlan.h"
#include "owncalendar/OwnEvent.h"
#include "owncalendar/OwnPush.h"
#include "platform/AppPaths.h"
#include "schedule/ScheduleStore.h"
#include "support/ManualClock.h"
#include "support/MemoryPasswords.h"
#include "support/TestEntries.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

using namespace tanzo;
using tanzo::test::makeEntry;

namespace {

const QDate kDay(2027, 3, 15);
const QDateTime kStamp(kDay, QTime(9, 0));
// The data file keeps six days back from today, kDay.
const QDate kKept = oldestKeptDay(kDay);

class OwnCalendarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
};

QByteArray event(const QByteArray& lines) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\n"
           "UID:u1\r\nDTSTAMP:20270301T000000Z\r\n" +
           lines + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

QString shown(const ScheduleEntry& e) {
    const HourMinute hm = e.startHourMinute();
    return QStringLiteral("%1 %2:%3 %4 [%5] %6")
        .arg(e.date().toString(Qt::ISODate))
        .arg(hm.hour)
        .arg(hm.minute, 2, 10, QLatin1Char('0'))
        .arg(e.status)
        .arg(e.place, e.comment);
}

TEST_F(OwnCalendarTest, AppointmentsGoOutAndComeBackTheSame) {
    const struct {
        ScheduleEntry entry;
        const char* priority;
    } cases[] = {
        {makeEntry(kDay, 10, 30, 1, QStringLiteral("会議室"), QStringLiteral("定例")),
         "PRIORITY:1"},
        {makeEntry(kDay, 0, 0, 2, QStringLiteral("本社"), QString()), "PRIORITY:5"},
        {makeEntry(kDay.addDays(400), 23, 59, 3, QStringLiteral("A B"), QStringLiteral("x  y")),
         "PRIORITY:9"},
    };
    for (const auto& c : cases) {
        const QByteArray text = ownEventText(c.entry, QStringLiteral("id-1@tanzo"), 10, kStamp);
        EXPECT_TRUE(text.contains(c.priority)) << text.constData();
        EXPECT_TRUE(text.contains("UID:id-1@tanzo"));
        EXPECT_TRUE(text.contains("TRIGGER:-PT10M")) << text.constData();
        const OwnEventReading back = readOwnEvent(text);
        ASSERT_EQ(back.kind, OwnEventReading::Kind::Appointment) << shown(c.entry).toStdString();
        EXPECT_EQ(back.uid, QStringLiteral("id-1@tanzo"));
        EXPECT_EQ(shown(back.entry), shown(c.entry));
    }
}

TEST_F(OwnCalendarTest, ServerEventsAreFittedAsTheImportFitsThem) {
    const struct {
        QByteArray lines;
        OwnEventReading::Kind kind;
        const char* entry; // as shown(), for appointments
    } cases[] = {
        {"DTSTART:20270315T140000\r\nSUMMARY:打合せ\r\nLOCATION:会議室\r\nPRIORITY:1\r\n",
         OwnEventReading::Kind::Appointment, "2027-03-15 14:00 1 [会議室    ] 打合せ"},
        // The file cannot hold emoji: marked 〓. A place past seven
        // characters goes on in the comment.
        {"DTSTART:20270315T140000\r\nSUMMARY:誕生日🎂\r\nLOCATION:とても長い行先の名前\r\n",
         OwnEventReading::Kind::Appointment, "2027-03-15 14:00 3 [とても長い行先] 誕生日〓 の名前"},
        {"DTSTART:20270315T050000Z\r\nSUMMARY:電話\r\n", OwnEventReading::Kind::Appointment,
         "2027-03-15 14:00 3 [電話     ] 電話"},
        {"DTSTART:20270315T140000\r\nRRULE:FREQ=WEEKLY\r\nSUMMARY:週次\r\n",
         OwnEventReading::Kind::Recurring, ""},
        {"DTSTART;VALUE=DATE:20270315\r\nSUMMARY:休み\r\n", OwnEventReading::Kind::Other, ""},
        {"DTSTART:20270315T140000\r\nSTATUS:CANCELLED\r\nSUMMARY:中止\r\n",
         OwnEventReading::Kind::Other, ""},
        {"SUMMARY:いつか\r\n", OwnEventReading::Kind::Other, ""},
    };
    for (const auto& c : cases) {
        const OwnEventReading r = readOwnEvent(event(c.lines));
        EXPECT_EQ(r.kind, c.kind) << c.lines.constData();
        EXPECT_EQ(r.uid, QStringLiteral("u1"));
        if (c.kind == OwnEventReading::Kind::Appointment) {
            EXPECT_EQ(shown(r.entry), QString::fromUtf8(c.entry)) << c.lines.constData();
        }
    }
}

// A state with one synced event per appointment, hrefs /c/1.ics, /c/2.ics ...
OwnCalendarState syncedState(const DayList& entries) {
    OwnCalendarState state;
    int n = 0;
    for (const ScheduleEntry& e : entries) {
        ++n;
        state.events.insert(QStringLiteral("/c/%1.ics").arg(n),
                            {QStringLiteral("u%1").arg(n), QStringLiteral("\"e%1\"").arg(n), e});
    }
    return state;
}

QMap<QString, QString> listingOf(const OwnCalendarState& state) {
    QMap<QString, QString> listing;
    for (auto it = state.events.cbegin(); it != state.events.cend(); ++it)
        listing.insert(it.key(), it->etag);
    return listing;
}

QStringList shownLines(const std::vector<EditedLine>& lines) {
    QStringList out;
    for (const EditedLine& l : lines)
        out << shown(l.entry);
    out.sort();
    return out;
}

TEST_F(OwnCalendarTest, PullSortsOutWhichSideChangedWhat) {
    const ScheduleEntry a =
        makeEntry(kDay, 9, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会"));
    const ScheduleEntry aLocal =
        makeEntry(kDay, 9, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会（変更）"));
    const ScheduleEntry aServer =
        makeEntry(kDay, 11, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会"));
    const ScheduleEntry b =
        makeEntry(kDay, 13, 0, 2, QStringLiteral("支社"), QStringLiteral("報告"));
    const OwnCalendarState state = syncedState({a, b});
    const auto server = [](const ScheduleEntry& e) {
        return OwnEventReading{OwnEventReading::Kind::Appointment, QStringLiteral("u1"), e};
    };
    const FetchedEvent aChanged{QStringLiteral("/c/1.ics"), QStringLiteral("\"new\""),
                                server(aServer)};

    struct Case {
        const char* name;
        DayList local;
        bool aDeletedOnServer;
        std::vector<FetchedEvent> fetched;
        QStringList after;
        int conflicts;
        size_t pushes; // what the board still has to send afterwards
    } cases[] = {
        {"changed on the server only", {a, b}, false, {aChanged}, {shown(aServer), shown(b)}, 0, 0},
        {"changed on both sides: the server wins",
         {aLocal, b},
         false,
         {aChanged},
         {shown(aServer), shown(b)},
         1,
         0},
        {"deleted on the server", {a, b}, true, {}, {shown(b)}, 0, 0},
        {"deleted there, changed here: kept, sent as new",
         {aLocal, b},
         true,
         {},
         {shown(aLocal), shown(b)},
         1,
         1},
        {"deleted here, changed there: back",
         {b},
         false,
         {aChanged},
         {shown(aServer), shown(b)},
         1,
         0},
        {"nothing new there: the change here waits",
         {aLocal, b},
         false,
         {},
         {shown(aLocal), shown(b)},
         0,
         1},
    };
    for (const Case& c : cases) {
        QMap<QString, QString> listing = listingOf(state);
        if (c.aDeletedOnServer)
            listing.remove(QStringLiteral("/c/1.ics"));
        const PullPlan plan = planPull(state, listing, c.fetched, c.local, kKept);
        QStringList after = c.after;
        after.sort();
        EXPECT_EQ(shownLines(plan.lines), after) << c.name;
        EXPECT_EQ(static_cast<int>(plan.conflicts.size()), c.conflicts) << c.name;
        // The server's version is what the next push compares against:
        // nothing of it is sent back.
        DayList result;
        for (const EditedLine& l : plan.lines)
            result.push_back(l.entry);
        const auto steps = planPush(
            plan.next, result, QStringLiteral("/c/"), [] { return QStringLiteral("new"); }, kKept);
        EXPECT_EQ(steps.size(), c.pushes) << c.name;
    }
}

TEST_F(OwnCalendarTest, ANewServerEventTheListHoldsIsNotAddedTwice) {
    const ScheduleEntry a =
        makeEntry(kDay, 9, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会"));
    const PullPlan plan = planPull({}, {{QStringLiteral("/c/x.ics"), QStringLiteral("\"1\"")}},
                                   {{QStringLiteral("/c/x.ics"),
                                     QStringLiteral("\"1\""),
                                     {OwnEventReading::Kind::Appointment, QStringLiteral("x"), a}}},
                                   {a}, kKept);
    EXPECT_FALSE(plan.changesList);
    EXPECT_EQ(plan.lines.size(), 1u);
    EXPECT_TRUE(planPush(
                    plan.next, {a}, QStringLiteral("/c/"), [] { return QString(); }, kKept)
                    .empty());
}

TEST_F(OwnCalendarTest, PushKeepsTheEventOfAChangedAppointment) {
    const ScheduleEntry a =
        makeEntry(kDay, 9, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会"));
    const ScheduleEntry b =
        makeEntry(kDay, 13, 0, 2, QStringLiteral("支社"), QStringLiteral("報告"));
    const ScheduleEntry c =
        makeEntry(kDay, 15, 0, 1, QStringLiteral("工場"), QStringLiteral("視察"));
    const OwnCalendarState state = syncedState({a, b, c});
    const ScheduleEntry movedA =
        makeEntry(kDay, 10, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会"));
    const ScheduleEntry retitledB =
        makeEntry(kDay, 13, 0, 2, QStringLiteral("支社"), QStringLiteral("報告会"));
    ScheduleEntry flaggedC = c;
    flaggedC.arrived = true; // notice flags stay local
    const ScheduleEntry d = makeEntry(kDay, 17, 0, 3, QStringLiteral("自宅"), QString());
    const auto steps = planPush(
        state, {movedA, retitledB, flaggedC, d}, QStringLiteral("/c/"),
        [] { return QStringLiteral("fresh"); }, kKept);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].kind, PushStep::Kind::Update);
    EXPECT_EQ(steps[0].uid, QStringLiteral("u1"));
    EXPECT_EQ(steps[0].etag, QStringLiteral("\"e1\""));
    EXPECT_EQ(shown(steps[0].entry), shown(movedA));
    EXPECT_EQ(steps[1].kind, PushStep::Kind::Update);
    EXPECT_EQ(steps[1].uid, QStringLiteral("u2"));
    EXPECT_EQ(steps[2].kind, PushStep::Kind::Create);
    EXPECT_EQ(steps[2].href, QStringLiteral("/c/fresh.ics"));

    const auto removed = planPush(
        state, {a, c}, QStringLiteral("/c/"), [] { return QString(); }, kKept);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].kind, PushStep::Kind::Remove);
    EXPECT_EQ(removed[0].href, QStringLiteral("/c/2.ics"));

    // Past the days the file keeps, an appointment leaves it on its own:
    // its event stays on the server, and the next pull leaves it out.
    const ScheduleEntry old =
        makeEntry(kDay.addDays(-7), 9, 0, 3, QStringLiteral("本社"), QStringLiteral("先週"));
    const OwnCalendarState withOld = syncedState({a, old});
    EXPECT_TRUE(planPush(
                    withOld, {a}, QStringLiteral("/c/"), [] { return QString(); }, kKept)
                    .empty());
    const PullPlan pulled = planPull(withOld, listingOf(withOld), {}, {a}, kKept);
    EXPECT_FALSE(pulled.changesList);
    EXPECT_TRUE(pulled.conflicts.empty());
}

// The head and as much of the body as it says it has.
bool isWhole(const QByteArray& request) {
    const qsizetype end = request.indexOf("\r\n\r\n");
    const QByteArray field = "Content-Length: ";
    const qsizetype at = request.indexOf(field);
    const qsizetype length =
        at < 0 || at > end ? 0
                           : request.mid(at + field.size(), 12).split('\r').front().toLongLong();
    return end >= 0 && request.size() >= end + 4 + length;
}

// A server that answers each request with the next of its answers (the
// last one again once they are used up), then closes, and keeps the
// requests.
class CannedServer : public QTcpServer {
public:
    explicit CannedServer(std::vector<QByteArray> answers) : m_answers(std::move(answers)) {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (socket->property("sent").toBool())
                        return;
                    const QByteArray request =
                        socket->property("read").toByteArray() + socket->readAll();
                    socket->setProperty("read", request);
                    if (!isWhole(request))
                        return;
                    socket->setProperty("sent", true);
                    socket->write(m_answers[std::min(requests.size(), m_answers.size() - 1)]);
                    requests.push_back(request);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    std::vector<QByteArray> requests;

private:
    std::vector<QByteArray> m_answers;
};

QByteArray status(const char* line) {
    return QByteArray("HTTP/1.1 ") + line +
           "\r\nETag: \"new\"\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

// A push sends its steps in their order with If-Match (If-None-Match for a
// new event) and stops at the first one the server does not take: changed
// or gone there, it is overtaken (a pull comes first); a deletion of what
// is gone already counts as sent.
TEST_F(OwnCalendarTest, APushStopsAtTheFirstStepTheServerRefuses) {
    const ScheduleEntry a =
        makeEntry(kDay, 9, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会"));
    const PushStep create{PushStep::Kind::Create, QStringLiteral("/c/n.ics"), QStringLiteral("n"),
                          QString(), a};
    const PushStep update{PushStep::Kind::Update, QStringLiteral("/c/1.ics"), QStringLiteral("u1"),
                          QStringLiteral("\"e1\""), a};
    const PushStep remove{PushStep::Kind::Remove, QStringLiteral("/c/2.ics"), QStringLiteral("u2"),
                          QStringLiteral("\"e2\""), a};
    using Kind = OwnPush::Outcome::Kind;
    const struct {
        const char* name;
        std::vector<PushStep> steps;
        std::vector<QByteArray> answers;
        Kind kind;
        const char* problem;
        size_t sent;
        size_t requests;
    } cases[] = {
        {"all taken",
         {create, update, remove},
         {status("201 Created"), status("204 No Content")},
         Kind::Sent,
         "",
         3,
         3},
        {"changed there",
         {update, create},
         {status("412 Precondition Failed")},
         Kind::Overtaken,
         "",
         0,
         1},
        {"gone there",
         {create, update, remove},
         {status("201 Created"), status("404 Not Found")},
         Kind::Overtaken,
         "",
         1,
         2},
        {"deleted there already", {remove}, {status("404 Not Found")}, Kind::Sent, "", 1, 1},
        {"refused",
         {create, update},
         {status("409 Conflict")},
         Kind::Failed,
         "サーバーが予定を受け付けませんでした（409）。",
         0,
         1},
        {"server error",
         {update},
         {status("500 Internal Server Error")},
         Kind::Failed,
         "サーバーでエラーが起きました（500）。",
         0,
         1},
    };
    for (const auto& c : cases) {
        CannedServer server(c.answers);
        const QUrl collection(QStringLiteral("http://127.0.0.1:%1/c/").arg(server.serverPort()));
        DavRequests requests(collection, QString(), QString(), QString());
        OwnPush push(requests, collection, c.steps);
        std::vector<QString> sent;
        std::optional<OwnPush::Outcome> outcome;
        QEventLoop loop;
        push.start(
            10, kStamp,
            [&](const PushStep& step, const QString& etag, int count) {
                sent.push_back(step.href);
                EXPECT_EQ(etag, QStringLiteral("\"new\"")) << c.name;
                EXPECT_EQ(count, static_cast<int>(sent.size())) << c.name;
            },
            [&](const OwnPush::Outcome& o) {
                outcome = o;
                loop.quit();
            });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        ASSERT_TRUE(outcome) << c.name;
        EXPECT_EQ(outcome->kind, c.kind) << c.name;
        EXPECT_EQ(outcome->problem, QString::fromUtf8(c.problem)) << c.name;
        ASSERT_EQ(sent.size(), c.sent) << c.name;
        ASSERT_EQ(server.requests.size(), c.requests) << c.name;
        for (size_t i = 0; i < c.requests; ++i) {
            const PushStep& step = c.steps[i];
            const QByteArray& head = server.requests[i];
            const bool isRemove = step.kind == PushStep::Kind::Remove;
            EXPECT_TRUE(head.startsWith((isRemove ? "DELETE " : "PUT ") + step.href.toUtf8()))
                << c.name << ": " << head.constData();
            EXPECT_TRUE(head.contains(step.kind == PushStep::Kind::Create
                                          ? QByteArray("If-None-Match: *")
                                          : "If-Match: " + step.etag.toUtf8()))
                << c.name << ": " << head.constData();
            if (!isRemove) {
                EXPECT_TRUE(head.contains("UID:" + step.uid.toUtf8())) << c.name;
            }
        }
    }
}

QByteArray multistatus(const QByteArray& responses) {
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\""
                            " xmlns:CS=\"http://calendarserver.org/ns/\">" +
                            responses + "</multistatus>";
    return "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml; charset=utf-8\r\n"
           "Content-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray found(const QByteArray& href, const QByteArray& props) {
    return "<response><href>" + href + "</href><propstat><prop>" + props +
           "</prop><status>HTTP/1.1 200 OK</status></propstat></response>";
}

// A push the server refuses because the event changed there since the last
// pull: the sync pulls again, whatever the ctag says, and the server's
// version wins; the record then holds its ETag and the ctag seen.
TEST_F(OwnCalendarTest, ASyncOvertakenWhilePushingPullsAgainAndTakesTheServersVersion) {
    const ScheduleEntry synced =
        makeEntry(kDay, 9, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会"));
    const ScheduleEntry here =
        makeEntry(kDay, 9, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会（変更）"));
    const ScheduleEntry there =
        makeEntry(kDay, 11, 0, 3, QStringLiteral("本社"), QStringLiteral("朝会"));
    const QByteArray collection =
        found("/c/",
              "<resourcetype><C:calendar/><collection/></resourcetype><CS:getctag>t1</CS:getctag>");
    const QByteArray changedThere = ownEventText(there, QStringLiteral("u1"), 10, kStamp);
    CannedServer server({
        multistatus(collection),
        status("412 Precondition Failed"),
        multistatus(collection),
        multistatus(collection + found("/c/1.ics", "<getetag>\"e2\"</getetag>")),
        multistatus(found("/c/1.ics", "<getetag>\"e2\"</getetag><C:calendar-data>" + changedThere +
                                          "</C:calendar-data>")),
    });

    QTemporaryDir dir;
    test::ManualClock clock(kStamp);
    ScheduleStore store(QDir(dir.path()).filePath(QStringLiteral("TANZO.DAT")), clock);
    store.load(kDay);
    ASSERT_TRUE(store.add({here}));
    OwnCalendarState state;
    state.config.url = QUrl(QStringLiteral("http://127.0.0.1:%1/c/").arg(server.serverPort()));
    state.collectionTag = QStringLiteral("t1");
    state.events.insert(QStringLiteral("/c/1.ics"),
                        {QStringLiteral("u1"), QStringLiteral("\"e1\""), synced});
    const QString record = paths::ownCalendarStatePath(store.path());
    ASSERT_TRUE(writeOwnCalendarState(record, state));
    MemoryPasswords passwords;
    OwnCalendar own(store, clock, passwords, [] { return 10; });
    ASSERT_TRUE(own.load());

    std::optional<std::pair<bool, QString>> result;
    QEventLoop loop;
    own.sync([&](bool ok, const QString& message) {
        result.emplace(ok, message);
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->first) << result->second.toStdString();
    EXPECT_TRUE(result->second.startsWith(QStringLiteral("両方で変更された予定は")))
        << result->second.toStdString();
    const char* asked[] = {"PROPFIND", "PUT /c/1.ics", "PROPFIND", "PROPFIND", "REPORT"};
    ASSERT_EQ(server.requests.size(), std::size(asked));
    for (size_t i = 0; i < std::size(asked); ++i)
        EXPECT_TRUE(server.requests[i].startsWith(asked[i])) << server.requests[i].constData();
    ASSERT_EQ(store.entries().size(), 1u);
    EXPECT_EQ(shown(store.entries()[0]), shown(there));
    const auto after = readOwnCalendarState(record);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->collectionTag, QStringLiteral("t1"));
    EXPECT_EQ(after->events.value(QStringLiteral("/c/1.ics")).etag, QStringLiteral("\"e2\""));
    EXPECT_TRUE(after->lastProblem.isEmpty());
}

} // namespace
