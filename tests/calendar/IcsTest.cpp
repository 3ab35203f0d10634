#include "calendar/EventTimes.h"
#include "calendar/IcsExport.h"
#include "calendar/IcsImport.h"

#include "platform/Cp932.h"

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

// A calendar around the given VEVENT and VTIMEZONE lines.
QByteArray calendar(const QString& body) {
    QString text = QStringLiteral("BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//test//EN\n") + body +
                   QStringLiteral("END:VCALENDAR\n");
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text.toUtf8();
}

QString event(const QString& lines) {
    return QStringLiteral("BEGIN:VEVENT\nUID:%1\nDTSTAMP:20270301T000000Z\n%2END:VEVENT\n")
        .arg(qHash(lines))
        .arg(lines);
}

ScheduleEntry entryOn(const QDate& date, int hour, int minute, const QString& place,
                      const QString& comment = QString()) {
    ScheduleEntry e;
    e.dateSerial = daySerial(date);
    e.startTime = timeFraction(hour, minute);
    e.status = 3;
    e.place = fitPlace(place);
    e.comment = comment.isNull() ? place : comment;
    return e;
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
    // Past the bounds the file is not parsed at all, and the message says why.
    const QByteArray longLine =
        calendar(QStringLiteral("X-LONG:") + QString(kMaxIcsLineBytes, QLatin1Char('a')) +
                 QLatin1Char('\n'));
    const QByteArray tooLarge(kMaxIcsBytes + 1, '\n');
    const QByteArray latin1 = calendar(QString()).replace("PRODID:", "PRODID:\xff\xff");
    // A broken structure, which libical would read as nothing (and complain
    // about on the terminal, line by line).
    const QByteArray nul = calendar(QString()).replace("PRODID:", QByteArray("PRODID:\0", 8));
    const QByteArray deep = calendar(QStringLiteral("BEGIN:X-A\n").repeated(kMaxIcsNesting) +
                                     QStringLiteral("END:X-A\n").repeated(kMaxIcsNesting));
    const QByteArray strayEnd = calendar(QStringLiteral("END:VEVENT\n"));
    for (const auto& [bytes, message] :
         {std::pair{longLine, QStringLiteral("KBを超える長い行")},
          std::pair{tooLarge, QStringLiteral("大きすぎます")},
          std::pair{latin1, QStringLiteral("UTF-8でもシフトJISでもない")},
          std::pair{nul, QStringLiteral("NUL文字")}, std::pair{deep, QStringLiteral("入れ子が")},
          std::pair{strayEnd, QStringLiteral("BEGINとENDの対応")}}) {
        const IcsImportResult r = importIcs(bytes, kToday, {});
        EXPECT_FALSE(r.isCalendar);
        EXPECT_TRUE(refusalMessage(r, QStringLiteral("a.ics")).contains(message))
            << refusalMessage(r, QStringLiteral("a.ics")).toStdString();
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

    const IcsImportResult back = importIcs(bytes, kToday, {});
    EXPECT_EQ(describeAll(back.entries), describeAll(list));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.ics"));
    QString error;
    ASSERT_TRUE(writeIcsFile(path, bytes, &error));
    EXPECT_FALSE(writeIcsFile(dir.filePath(QStringLiteral("none/out.ics")), bytes, &error));
    EXPECT_FALSE(error.isEmpty());
}

// The rule steps through the event's own wall clock, and UNTIL (UTC) is
// compared as a moment: east of UTC the last Tuesday stays, west of it no
// extra one appears, and an UNTIL equal to the start keeps it.
TEST_F(IcsTest, UntilIsAMomentInTheEventsZone) {
    struct Case {
        const char* zone;
        const char* until;
        std::vector<ScheduleEntry> expected;
    };
    const QDate tuesday(2027, 3, 16);
    const std::vector<Case> cases = {
        {"Asia/Tokyo", "20270316T010000Z", {entryOn(tuesday, 10, 0, QStringLiteral("定例"))}},
        {"America/New_York", "20270316T130000Z", {}},
        {"Europe/Berlin", "20270316T090000Z", {entryOn(tuesday, 18, 0, QStringLiteral("定例"))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        const IcsImportResult r =
            importIcs(calendar(event(QStringLiteral("DTSTART;TZID=%1:20270302T100000\n"
                                                    "RRULE:FREQ=WEEKLY;UNTIL=%2\nSUMMARY:定例\n")
                                         .arg(QLatin1String(c.zone), QLatin1String(c.until)))),
                      kToday, {});
        EXPECT_EQ(describeAll(r.entries), describeAll(c.expected));
        EXPECT_TRUE(r.leftOut.empty()) << describeImport(r).toStdString();
    }
}

// 02:30 on the day New York's clocks skip to 03:00 is 03:30 there; 01:30
// on the day they go back is the first of the two, still in summer time.
TEST_F(IcsTest, SkippedAndRepeatedHoursFollowRfc5545) {
    struct Case {
        QDate today;
        const char* start;
        ScheduleEntry expected;
    };
    const std::vector<Case> cases = {
        {QDate(2027, 3, 14), "20270314T023000",
         entryOn(QDate(2027, 3, 14), 16, 30, QStringLiteral("本社"))},
        {QDate(2027, 11, 7), "20271107T013000",
         entryOn(QDate(2027, 11, 7), 14, 30, QStringLiteral("本社"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        const IcsImportResult r = importIcs(
            calendar(event(QStringLiteral("DTSTART;TZID=America/New_York:%1\nSUMMARY:本社\n")
                               .arg(QLatin1String(c.start)))),
            c.today, {});
        EXPECT_EQ(describeAll(r.entries), describeAll({c.expected}));
    }
}

// A floating time is the reader's local time: in the skipped hour it moves
// forward instead of being lost, and so does a typed one.
TEST_F(IcsTest, FloatingTimeInTheSkippedHourMovesForward) {
    setenv("TZ", "America/New_York", 1);
    tzset();
    const QDate sunday(2027, 3, 14);
    const IcsImportResult r = importIcs(
        calendar(event(QStringLiteral("DTSTART:20270314T023000\nSUMMARY:本社\n"))), sunday, {});
    const QDateTime typed = ics::localMoment(sunday, QTime(2, 30)).toUTC();
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    EXPECT_EQ(describeAll(r.entries),
              describeAll({entryOn(sunday, 3, 30, QStringLiteral("本社"))}));
    EXPECT_EQ(typed, QDateTime(sunday, QTime(7, 30), QTimeZone::utc()));
}

// Every VCALENDAR of a file is read; what cannot be taken is listed with
// its reason: an unknown zone (for a series begun long ago too), an hour
// of 25, text code page 932 cannot hold.
TEST_F(IcsTest, EveryCalendarIsReadAndEveryEventAccountedFor) {
    const QByteArray bytes =
        calendar(event(QStringLiteral("DTSTART:20270316T090000\nSUMMARY:一つ目\n"))) +
        calendar(event(QStringLiteral("DTSTART:20270317T090000\nSUMMARY:二つ目\n")) +
                 event(QStringLiteral("DTSTART;TZID=Mars/Olympus:20200101T090000\n"
                                      "RRULE:FREQ=DAILY\nSUMMARY:火星\n")) +
                 event(QStringLiteral("DTSTART:20270318T250000\nSUMMARY:二十五時\n")) +
                 event(QStringLiteral("DTSTART:20270318T090000\nSUMMARY:☃\n")));
    const IcsImportResult r = importIcs(bytes, kToday, {});
    EXPECT_EQ(r.calendars, 2);
    EXPECT_EQ(describeAll(r.entries),
              describeAll({entryOn(QDate(2027, 3, 16), 9, 0, QStringLiteral("一つ目")),
                           entryOn(QDate(2027, 3, 17), 9, 0, QStringLiteral("二つ目"))}));
    std::vector<QString> reasons;
    for (const LeftOutEvent& e : r.leftOut)
        reasons.push_back(e.title + QLatin1Char(' ') + e.reason);
    EXPECT_EQ(reasons,
              (std::vector<QString>{QStringLiteral("火星 時間帯（TZID）が分かりません"),
                                    QStringLiteral("二十五時 開始日時が正しくありません"),
                                    QStringLiteral("☃ シフトJISで表せない文字を含みます")}));
}

// A zone whose rules change every second since 1601, an event that recurs
// every second, and one every second of a day that never comes: the zone is
// not used, the first rule is cut and the second not tried, and all are
// said; the import still ends promptly with the plain event.
TEST_F(IcsTest, HostileRulesAreBoundedAndReported) {
    const QString zone = QStringLiteral(
        "BEGIN:VTIMEZONE\nTZID:Hostile\n"
        "BEGIN:STANDARD\nDTSTART:16010101T000000\nRRULE:FREQ=SECONDLY\n"
        "TZOFFSETFROM:+0900\nTZOFFSETTO:+0900\nEND:STANDARD\n"
        "BEGIN:DAYLIGHT\nDTSTART:16010101T000000\nRRULE:FREQ=YEARLY;BYMONTH=1,2,3,4,5,6,7,8,"
        "9,10,11,12;BYMONTHDAY=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,"
        "25,26,27,28\nTZOFFSETFROM:+0900\nTZOFFSETTO:+1000\nEND:DAYLIGHT\nEND:VTIMEZONE\n");
    const QByteArray bytes = calendar(
        zone + event(QStringLiteral("DTSTART;TZID=Hostile:20270316T090000\nSUMMARY:危険\n")) +
        event(QStringLiteral("DTSTART:16010101T000000\nRRULE:FREQ=SECONDLY;COUNT=999999999\n"
                             "SUMMARY:毎秒\n")) +
        event(QStringLiteral("DTSTART:20270301T000000\nRRULE:FREQ=SECONDLY;BYMONTH=2;"
                             "BYMONTHDAY=30\nSUMMARY:二月三十日\n")) +
        event(QStringLiteral("DTSTART:20270316T100000\nSUMMARY:普通\n")));
    const IcsImportResult r = importIcs(bytes, kToday, {});
    EXPECT_EQ(describeAll(r.entries),
              describeAll({entryOn(QDate(2027, 3, 16), 10, 0, QStringLiteral("普通"))}));
    EXPECT_EQ(r.costlyZones, QStringList{QStringLiteral("Hostile")});
    std::vector<QString> reasons;
    for (const LeftOutEvent& e : r.leftOut)
        reasons.push_back(e.title + QLatin1Char(' ') + e.reason);
    EXPECT_EQ(
        reasons,
        (std::vector<QString>{
            QStringLiteral("危険 時間帯（TZID）が分かりません"),
            QStringLiteral("毎秒 繰り返しが多すぎるため、上限で展開を打ち切りました"),
            QStringLiteral("二月三十日 繰り返しの規則が複雑すぎるため、展開しませんでした")}));
}

// Ideographic and inner spaces, an empty comment and a comment that equals
// the place come back as they were, and importing one's own export again
// adds nothing.
TEST_F(IcsTest, ExportAndImportAreARoundTrip) {
    const DayList list = {
        entry(0, 10, 0, 3, QStringLiteral("第１　会議室"), QString()),
        entry(1, 11, 0, 2, QStringLiteral("本社"), QStringLiteral("本社")),
        entry(2, 12, 0, 1, QStringLiteral("A  B"), QStringLiteral("資料  持参　要"))};
    const QByteArray bytes = exportIcs(list, 5, QDateTime(kToday, QTime(8, 0)));
    const IcsImportResult back = importIcs(bytes, kToday, {});
    EXPECT_EQ(describeAll(back.entries), describeAll(list));
    const IcsImportResult again = importIcs(bytes, kToday, list);
    EXPECT_TRUE(again.entries.empty());
    EXPECT_EQ(again.duplicates, 3);
}

// The look-alikes of input methods are stored as the page's own
// characters, control characters are removed, and a Shift_JIS file is read.
TEST_F(IcsTest, TextIsMadeStorable) {
    EXPECT_EQ(cp932::storable(QStringLiteral("9時〜10時 −5 ‖ ¢£¬\x1b[31m赤\ttab")),
              QStringLiteral("9時～10時 －5 ∥ ￠￡￢[31m赤 tab"));
    const QByteArray utf8 = calendar(event(
        QStringLiteral("DTSTART:20270316T090000\nLOCATION:A〜B\nSUMMARY:\x1b]0;x\x07件名−\n")));
    const IcsImportResult r = importIcs(utf8, kToday, {});
    EXPECT_EQ(describeAll(r.entries),
              describeAll({entryOn(QDate(2027, 3, 16), 9, 0, QStringLiteral("A～B"),
                                   QStringLiteral("]0;x件名－"))}));
    const IcsImportResult sjis = importIcs(cp932::encode(QString::fromUtf8(utf8)), kToday, {});
    EXPECT_TRUE(sjis.fromShiftJis);
    EXPECT_EQ(describeAll(sjis.entries), describeAll(r.entries));
}

// No list grows past 32767 appointments: the import takes what fits.
TEST_F(IcsTest, ImportStopsAtTheListLimit) {
    std::vector<ScheduleEntry> existing(MaxDayListEntries - 2,
                                        entry(6, 23, 0, 3, QStringLiteral("満"), QString()));
    IcsImportResult r;
    r.isCalendar = true;
    for (int hour = 0; hour < 5; ++hour)
        r.entries.push_back(entry(0, hour, 0, 3, QStringLiteral("新"), QString()));
    admitImport(r, existing);
    EXPECT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.overLimit, 3);
    EXPECT_NE(describeImport(r).indexOf(QStringLiteral("残りの3件")), -1);
}

// A subscription is never written to the code-page-932 file: it keeps
// all-day events (a row for each of their days in the seven, at 00:00) and
// every character, cut only between whole characters. The data file's
// import of the same text still leaves both out.
TEST_F(IcsTest, ForASubscriptionAllDayEventsAndEveryCharacterStay) {
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    const QByteArray text =
        calendar(event(QStringLiteral("DTSTART;VALUE=DATE:20270316\nSUMMARY:春分の日\n")) +
                 // 13 to 16 March (DTEND is the day after): today and tomorrow show.
                 event(QStringLiteral("DTSTART;VALUE=DATE:20270313\nDTEND;VALUE=DATE:20270317\n"
                                      "SUMMARY:出張\nPRIORITY:1\n")) +
                 // The seventh unit is the first half of 𠮷: the place stops before it.
                 event(QStringLiteral("DTSTART:20270315T180000\nLOCATION:会議室ABC𠮷\n"
                                      "SUMMARY:🎉打上げ %1\n")
                           .arg(family)));

    const IcsImportResult sub = readIcs(text, kToday, nullptr, IcsTarget::Subscription);
    ASSERT_EQ(sub.entries.size(), 1u);
    EXPECT_EQ(trimSpaces(sub.entries[0].place), QStringLiteral("会議室ABC"));
    EXPECT_EQ(sub.entries[0].comment, QStringLiteral("🎉打上げ %1 𠮷").arg(family));
    EXPECT_TRUE(sub.leftOut.empty());
    EXPECT_EQ(sub.allDay, 0);
    EXPECT_EQ(describeAll(sub.allDayEntries),
              describeAll({entry(0, 0, 0, 1, QString(), QStringLiteral("出張")),
                           entry(1, 0, 0, 3, QString(), QStringLiteral("春分の日")),
                           entry(1, 0, 0, 1, QString(), QStringLiteral("出張"))}));

    const IcsImportResult file = readIcs(text, kToday);
    EXPECT_TRUE(file.entries.empty());
    EXPECT_TRUE(file.allDayEntries.empty());
    EXPECT_EQ(file.allDay, 1); // the trip began before the seven days
    ASSERT_EQ(file.leftOut.size(), 1u);
    EXPECT_EQ(file.leftOut[0].reason, QStringLiteral("シフトJISで表せない文字を含みます"));

    EXPECT_EQ(leftWhole(QStringLiteral("ab%1").arg(family), 5), QStringLiteral("ab"));
    EXPECT_EQ(leftWhole(QStringLiteral("ab%1c").arg(family), 10), QStringLiteral("ab") + family);
}

// The reminders of each appointment of a subscription, as local
// "MM-dd HH:mm" times after the appointment's own start.
std::vector<std::string> remindersOf(const IcsImportResult& r) {
    std::vector<std::string> out;
    for (size_t i = 0; i < r.entries.size(); ++i) {
        QStringList times;
        for (const qint64 at : r.entryDetails.at(i).reminders)
            times << QDateTime::fromSecsSinceEpoch(at).toString(QStringLiteral("MM-dd HH:mm"));
        out.push_back(QStringLiteral("%1: %2")
                          .arg(QString::fromStdString(describe(r.entries[i])).left(16),
                               times.join(QLatin1Char(' ')))
                          .toStdString());
    }
    return out;
}

QString alarm(const QString& action, const QString& trigger) {
    return QStringLiteral("BEGIN:VALARM\nACTION:%1\nDESCRIPTION:r\n%2\nEND:VALARM\n")
        .arg(action, trigger);
}

// An event's own DISPLAY and AUDIO alarms become reminder times when the
// calendar is read, relative to each occurrence's start or end, or at their
// own moment; other actions give nothing.
TEST_F(IcsTest, EventAlarmsBecomeReminderTimesOfEachOccurrence) {
    const QString at10 = QStringLiteral("DTSTART:20270315T100000\nSUMMARY:歯医者\n");
    QString many;
    for (int i = 1; i <= 20; ++i)
        many += alarm(QStringLiteral("DISPLAY"), QStringLiteral("TRIGGER:-PT%1M").arg(i));
    struct Case {
        const char* name;
        QString lines;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"before the start",
         at10 + alarm("DISPLAY", "TRIGGER:-PT90M"),
         {"2027-03-15 10:00: 03-15 08:30"}},
        {"after the start, audio",
         at10 + alarm("AUDIO", "TRIGGER:PT15M"),
         {"2027-03-15 10:00: 03-15 10:15"}},
        {"a day before",
         at10 + alarm("DISPLAY", "TRIGGER:-P1D"),
         {"2027-03-15 10:00: 03-14 10:00"}},
        {"seconds fall to their minute",
         at10 + alarm("DISPLAY", "TRIGGER:-PT90S"),
         {"2027-03-15 10:00: 03-15 09:58"}},
        {"before the end",
         at10 + "DTEND:20270315T113000\n" + alarm("DISPLAY", "TRIGGER;RELATED=END:-PT10M"),
         {"2027-03-15 10:00: 03-15 11:20"}},
        {"end by duration",
         at10 + "DURATION:PT2H\n" + alarm("DISPLAY", "TRIGGER;RELATED=END:PT0S"),
         {"2027-03-15 10:00: 03-15 12:00"}},
        {"absolute, in UTC",
         at10 + alarm("DISPLAY", "TRIGGER;VALUE=DATE-TIME:20270314T230000Z"),
         {"2027-03-15 10:00: 03-15 08:00"}},
        {"email and procedure ignored",
         at10 + alarm("EMAIL", "TRIGGER:-PT30M") + alarm("PROCEDURE", "TRIGGER:-PT20M") +
             alarm("DISPLAY", "TRIGGER:-PT10M"),
         {"2027-03-15 10:00: 03-15 09:50"}},
        {"the same moment twice is one",
         at10 + alarm("DISPLAY", "TRIGGER:-PT1H") + alarm("AUDIO", "TRIGGER;RELATED=START:-PT60M"),
         {"2027-03-15 10:00: 03-15 09:00"}},
        {"each occurrence of a series",
         at10 + "RRULE:FREQ=DAILY;COUNT=3\n" + alarm("DISPLAY", "TRIGGER:-PT30M"),
         {"2027-03-15 10:00: 03-15 09:30", "2027-03-16 10:00: 03-16 09:30",
          "2027-03-17 10:00: 03-17 09:30"}},
        {"an absolute one goes to the occurrence after it",
         at10 + "RRULE:FREQ=DAILY;COUNT=3\n" +
             alarm("DISPLAY", "TRIGGER;VALUE=DATE-TIME:20270315T120000Z"),
         {"2027-03-15 10:00: ", "2027-03-16 10:00: 03-15 21:00", "2027-03-17 10:00: "}},
        {"no more than eight",
         at10 + many,
         {"2027-03-15 10:00: 03-15 09:44 03-15 09:45 03-15 09:46 03-15 09:47 03-15 09:48 "
          "03-15 09:49 03-15 09:50 03-15 09:51"}},
        {"without alarms", at10, {"2027-03-15 10:00: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IcsImportResult r =
            readIcs(calendar(event(c.lines)), kToday, nullptr, IcsTarget::Subscription);
        ASSERT_EQ(r.entryDetails.size(), r.entries.size());
        EXPECT_EQ(remindersOf(r), c.expected);
        // The data file's import keeps no details.
        EXPECT_TRUE(readIcs(calendar(event(c.lines)), kToday).entryDetails.empty());
    }
}

// A subscribed event without LOCATION has no place, and its summary only
// as the comment; its DESCRIPTION's first lines are kept beside it.
TEST_F(IcsTest, ForASubscriptionNoLocationMeansNoPlaceAndTheDescriptionIsKept) {
    QString lines;
    for (int i = 1; i <= 9; ++i)
        lines += QStringLiteral("行%1\\n").arg(i);
    const QString longLine = QString(130, QLatin1Char('x'));
    const QByteArray text =
        calendar(event(QStringLiteral("DTSTART:20270315T100000\nSUMMARY:歯医者\n"
                                      "DESCRIPTION:\\n  議題\\n\\n電話 03-1234\\n%1\\n%2\n")
                           .arg(longLine, lines)) +
                 event(QStringLiteral("DTSTART;VALUE=DATE:20270316\nSUMMARY:休み\n")));
    const IcsImportResult sub = readIcs(text, kToday, nullptr, IcsTarget::Subscription);
    ASSERT_EQ(sub.entries.size(), 1u);
    EXPECT_EQ(sub.entries[0].place, fitPlace(QString()));
    EXPECT_EQ(sub.entries[0].comment, QStringLiteral("歯医者"));
    EXPECT_EQ(sub.entryDetails[0].description,
              QStringLiteral("議題\n電話 03-1234\n%1…\n行1\n行2\n行3\n…").arg(longLine.left(120)));
    ASSERT_EQ(sub.allDayEntries.size(), 1u);
    EXPECT_EQ(sub.allDayEntries[0].place, fitPlace(QString()));
    EXPECT_EQ(sub.allDayEntries[0].comment, QStringLiteral("休み"));

    const IcsImportResult file = readIcs(text, kToday);
    ASSERT_EQ(file.entries.size(), 1u);
    EXPECT_EQ(trimSpaces(file.entries[0].place), QStringLiteral("歯医者"));
}
