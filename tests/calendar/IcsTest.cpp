#include "calendar/IcsExport.h"
#include "calendar/IcsImport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <cstdlib>
#include <ctime>

using namespace tanzo;

namespace {

// Monday; the import takes 15 to 21 March.
const QDate kToday(2027, 3, 15);

class IcsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The samples' expected times are Japanese local time.
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
    }
};

QByteArray sample(const char* name) {
    QFile f(QStringLiteral(TANZO_ICS_SAMPLES "/%1").arg(QLatin1String(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ScheduleEntry entry(int day, int hour, int minute, int status, const QString& place,
                    const QString& comment) {
    ScheduleEntry e;
    e.dateSerial = daySerial(kToday.addDays(day));
    e.startTime = timeFraction(hour, minute);
    e.status = static_cast<int16_t>(status);
    e.place = fitPlace(place);
    e.comment = comment;
    return e;
}

std::string describe(const ScheduleEntry& e) {
    const HourMinute hm = e.startHourMinute();
    return QStringLiteral("%1 %2:%3 %4 [%5] [%6]")
        .arg(e.date().toString(Qt::ISODate))
        .arg(hm.hour, 2, 10, QLatin1Char('0'))
        .arg(hm.minute, 2, 10, QLatin1Char('0'))
        .arg(e.status)
        .arg(e.place, e.comment)
        .toStdString();
}

std::vector<std::string> describeAll(const std::vector<ScheduleEntry>& entries) {
    std::vector<std::string> out;
    for (const ScheduleEntry& e : entries)
        out.push_back(describe(e));
    return out;
}

struct SampleCase {
    const char* file;
    std::vector<ScheduleEntry> existing;
    std::vector<ScheduleEntry> expected;
    int duplicates;
    int allDay;
    std::vector<QString> leftOutReasons;
};

} // namespace

TEST_F(IcsTest, SamplesGiveTheirAppointments) {
    const std::vector<SampleCase> cases = {
        // VTIMEZONE with summer time begun the day before, UTC, floating
        // (a duplicate of an existing entry), an IANA zone without
        // VTIMEZONE, a folded SUMMARY, an escaped comma, a LOCATION cut at
        // seven characters whose rest goes to the comment.
        {"zones.ics",
         {entry(2, 14, 0, 3, QStringLiteral("歯医者"), QString())},
         {entry(1, 9, 0, 1, QStringLiteral("本社"), QStringLiteral("NY電話会議")),
          entry(1, 10, 30, 2, QStringLiteral("第一会議室東館"),
                QStringLiteral("進捗確認, 第2回 三階")),
          entry(3, 16, 0, 3, QStringLiteral("TV会議"),
                QStringLiteral(
                    "ベルリン支社との打ち合わせ、資料は前日までに共有フォルダへ置いておくこと"))},
         1,
         0,
         {QStringLiteral("時間帯（TZID）が分かりません"),
          QStringLiteral("シフトJISで表せない文字を含みます")}},
        // Weekly rule: Wednesday excluded, Friday moved to Saturday 11:00;
        // an all-day event; the same review twice; a cancelled event.
        {"weekly.ics",
         {},
         {entry(0, 9, 0, 1, QStringLiteral("ﾌﾛｱ"), QStringLiteral("朝会")), // PRIORITY:3
          entry(3, 15, 0, 3, QStringLiteral("会議室A"), QStringLiteral("設計レビュー")),
          entry(5, 11, 0, 3, QStringLiteral("ﾌﾛｱ"), QStringLiteral("朝会（土曜に振替）"))},
         1,
         1,
         {}},
    };
    for (const SampleCase& c : cases) {
        SCOPED_TRACE(c.file);
        const IcsImportResult r = importIcs(sample(c.file), kToday, c.existing);
        ASSERT_TRUE(r.isCalendar);
        EXPECT_EQ(describeAll(r.entries), describeAll(c.expected));
        EXPECT_EQ(r.duplicates, c.duplicates);
        EXPECT_EQ(r.allDay, c.allDay);
        std::vector<QString> reasons;
        for (const LeftOutEvent& e : r.leftOut)
            reasons.push_back(e.reason);
        EXPECT_EQ(reasons, c.leftOutReasons) << describeImport(r).toStdString();
    }
}

TEST_F(IcsTest, TextThatIsNotICalendarIsRefused) {
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("hello\nworld\n"), QByteArray("BEGIN:VCARD\r\nEND:VCARD\r\n"),
          QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)}) {
        SCOPED_TRACE(bytes.toStdString());
        const IcsImportResult r = importIcs(bytes, kToday, {});
        EXPECT_FALSE(r.isCalendar);
        EXPECT_TRUE(r.entries.empty());
    }
}

// The export is read back by libical itself and by the import: every
// appointment comes back the same, with its zone and its alarm.
TEST_F(IcsTest, ExportReadsBackThroughLibical) {
    DayList list = {entry(0, 9, 0, 1, QStringLiteral("本社"), QStringLiteral("定例, \"月次\"")),
                    entry(2, 23, 45, 2, QStringLiteral("会議室A"), QString()),
                    entry(6, 0, 5, 3, QStringLiteral("ﾛﾋﾞｰ"), QStringLiteral("来客；受付"))};
    const QByteArray bytes = exportIcs(list, 10, QDateTime(kToday, QTime(8, 0)));

    icalcomponent* calendar = icalparser_parse_string(bytes.constData());
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(icalcomponent_count_components(calendar, ICAL_VEVENT_COMPONENT), 3);
    icalcomponent* first = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
    icalproperty* start = icalcomponent_get_first_property(first, ICAL_DTSTART_PROPERTY);
    icalparameter* tzid = icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER);
    ASSERT_NE(tzid, nullptr);
    EXPECT_NE(icalcomponent_get_timezone(calendar, icalparameter_get_tzid(tzid)), nullptr)
        << "the zone is defined in the file";
    EXPECT_STREQ(icalcomponent_get_summary(first), "定例, \"月次\"");
    EXPECT_STREQ(icalcomponent_get_location(first), "本社");
    icalcomponent* alarm = icalcomponent_get_first_component(first, ICAL_VALARM_COMPONENT);
    ASSERT_NE(alarm, nullptr);
    const icaltriggertype trigger =
        icalproperty_get_trigger(icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY));
    EXPECT_EQ(icaldurationtype_as_int(trigger.duration), -600);
    icalcomponent_free(calendar);

    // Comments are the titles; an empty one takes the place.
    list[1].comment = QStringLiteral("会議室A");
    const IcsImportResult back = importIcs(bytes, kToday, {});
    EXPECT_EQ(describeAll(back.entries), describeAll(list));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.ics"));
    QString error;
    ASSERT_TRUE(writeIcsFile(path, bytes, &error));
    EXPECT_FALSE(writeIcsFile(dir.filePath(QStringLiteral("none/out.ics")), bytes, &error));
    EXPECT_FALSE(error.isEmpty());
}
