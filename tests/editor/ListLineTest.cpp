#include "editor/ListLine.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace tanzo {
namespace {

const QString kSp = QStringLiteral("\u3000");

QString ideo(int n) {
    return QString(n, QChar(u'\u3000'));
}

ScheduleEntry entryOn(QDate date, int hour, int minute, int16_t status, QString place,
                      QString comment) {
    ScheduleEntry e;
    e.dateSerial = daySerial(date);
    e.startTime = timeFraction(hour, minute);
    e.status = status;
    e.place = fitPlace(place);
    e.comment = std::move(comment);
    return e;
}

TEST(ListLine, InputsGiveTheDocumentedLineExactly) {
    const EntryInputs in{"2000", "09", "06", "重要", "会議室", "14", "05", "打合せ"};
    const QString expected = QStringLiteral("2000/09/06 | 重要") + ideo(1) +
                             QStringLiteral(" | 会議室") + ideo(4) +
                             QStringLiteral(" | 14:05 | 打合せ") + ideo(9);
    EXPECT_EQ(lineFromInputs(in), expected);
}

TEST(ListLine, InputsAlreadyAtOrBeyondTheirWidthStayUnchanged) {
    const EntryInputs in{"2000", "09", "06", "最重要", "ABCDEFG", "00", "00", "0123456789ABCDE"};
    EXPECT_EQ(lineFromInputs(in),
              QStringLiteral("2000/09/06 | 最重要 | ABCDEFG | 00:00 | 0123456789ABCDE"));
}

TEST(ListLine, EntryStatusColumnIsAlwaysThreeCharacters) {
    struct Case {
        int16_t status;
        QString column;
    };
    const Case cases[] = {
        {1, "最重要"}, {2, "重要" + kSp}, {3, "普通" + kSp}, {0, "普通" + kSp}, {7, "普通" + kSp}};
    for (const Case& c : cases) {
        const auto f = fieldsFromEntry(entryOn(QDate(2024, 5, 1), 10, 30, c.status, "X", ""));
        EXPECT_EQ(f.status, c.column) << c.status;
    }
}

TEST(ListLine, EntryKeepsStoredPlaceAndCommentAsTheyAre) {
    const ScheduleEntry e =
        entryOn(QDate(2024, 5, 1), 10, 30, 2, QStringLiteral("会議室") + kSp, "資料");
    EXPECT_EQ(lineFromEntry(e), QStringLiteral("2024/05/01 | 重要") + kSp +
                                    QStringLiteral(" | 会議室") + kSp +
                                    QStringLiteral("    | 10:30 | 資料"));
}

TEST(ListLine, ShownLinesLineUpWhateverPaddingTheEntryCameWith) {
    const QDate day(2024, 5, 1);
    const QString expected = "2024/05/01 | 重要" + kSp + " | 会議室" + ideo(4) + " | 10:30 | 資料";
    const QString sources[] = {
        shownListLine(fieldsFromInputs({"2024", "05", "01", "重要", "会議室", "10", "30", "資料"})),
        shownListLine(
            fieldsFromEntry(entryOn(day, 10, 30, 2, "会議室" + ideo(4), "資料" + ideo(10)))),
        shownListLine(
            fieldsFromEntry(entryOn(day, 10, 30, 2, "会議室        ", "資料" + QString(40, ' ')))),
        shownListLine(fieldsFromEntry(entryOn(day, 10, 30, 2, "会議室", "資料")))};
    for (const QString& shown : sources)
        EXPECT_EQ(shown, expected);
    // Half-width text takes half a column.
    EXPECT_EQ(fillToColumns("ﾃｽﾄ", 14), "ﾃｽﾄ" + ideo(5) + " ");
    EXPECT_EQ(fillToColumns("A会", 14), "A会" + ideo(5) + " ");
    EXPECT_EQ(fillToColumns("会議室会議室会", 14), "会議室会議室会");
}

TEST(ListLine, YearBelowTenHasALeadingZero) {
    EXPECT_EQ(yearText(5), "05");
    EXPECT_EQ(yearText(10), "10");
    EXPECT_EQ(yearText(2000), "2000");
    const auto f = fieldsFromEntry(entryOn(QDate(9, 3, 4), 0, 1, 3, "p", "c"));
    EXPECT_EQ(joinListLine(f).left(8), "09/03/04");
    EXPECT_EQ(f.minute, "01");
}

TEST(ListLine, SplitReadsBackWhatWasJoined) {
    const ListFields f{"2000", "09", "06",        "重要" + kSp, "会議室" + ideo(4),
                       "14",   "05", "a | b: c/d"};
    const auto back = splitListLine(joinListLine(f));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, f);
}

TEST(ListLine, SplitFailsWhenADelimiterIsMissing) {
    const char* broken[] = {
        "",
        "2000-09-06 | 重要 | p | 14:05 | c", // no "/"
        "2000/09-06 | 重要 | p | 14:05 | c", // one "/"
        "2000/09/06 重要 | p | 14:05 | c",   // no separator after the day
        "2000/09/06 | 重要 | p | 14.05 | c", // no ":"
        "2000/09/06 | 重要 | p | 14:05",     // no separator before the comment
    };
    for (const char* line : broken)
        EXPECT_FALSE(splitListLine(QString::fromUtf8(line)).has_value()) << line;
}

TEST(ListLine, ASeparatorInThePlaceShiftsTheSplitFields) {
    // Why each line keeps its record: the text alone cannot be read back.
    const ListFields f{"2000", "09", "06", "重要" + kSp, "A | B", "14", "05", "c"};
    const auto back = splitListLine(joinListLine(f));
    ASSERT_TRUE(back.has_value());
    EXPECT_NE(*back, f);
}

TEST(ListLine, PastTestUsesTheOpeningMomentWithTheLineSecondsAtZero) {
    const QDate open(2000, 9, 6);
    struct Case {
        const char* line;
        QTime openTime;
        bool past;
    };
    const Case cases[] = {
        {"2000/09/06 | 普通 | p | 14:05 | c", QTime(14, 5, 0), false},
        {"2000/09/06 | 普通 | p | 14:05 | c", QTime(14, 5, 1), true},
        {"2000/09/06 | 普通 | p | 14:06 | c", QTime(14, 5, 59), false},
        {"2000/09/05 | 普通 | p | 23:59 | c", QTime(0, 0, 0), true},
        {"2000/09/07 | 普通 | p | 00:00 | c", QTime(23, 59, 59), false},
        {"2000/09/06 | 普通 | p | xx:05 | c", QTime(23, 59, 59), false},
        {"no separators", QTime(23, 59, 59), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isPastLine(QString::fromUtf8(c.line), open, c.openTime), c.past) << c.line;
}

} // namespace
} // namespace tanzo
