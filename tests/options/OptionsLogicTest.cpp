#include "options/BoardPosition.h"
#include "options/DisplaySpeedTest.h"
#include "options/FontSizeLimits.h"
#include "options/NumericEntry.h"
#include "options/OptionValues.h"
#include "options/VersionText.h"
#include "platform/ScreenFit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tanzo;
using namespace tanzo::options;

namespace {

struct KeyCase {
    int key;
    Qt::KeyboardModifiers modifiers;
    bool accepted;
};

TEST(NumericKeyFilter, PassesDigitsAndEditingKeysOnly) {
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    const KeyCase cases[] = {
        {Qt::Key_0, none, true},
        {Qt::Key_9, none, true},
        {Qt::Key_1, Qt::ShiftModifier, false}, // Shift+1 is a symbol
        {Qt::Key_1, Qt::ControlModifier, false},
        {Qt::Key_1, Qt::AltModifier, false},
        {Qt::Key_0, keypad, true}, // keypad digits count as digits
        {Qt::Key_9, keypad | Qt::ShiftModifier, true},
        {Qt::Key_Delete, none, true},
        {Qt::Key_Backspace, none, true},
        {Qt::Key_Left, none, true},
        {Qt::Key_Right, none, true},
        {Qt::Key_Home, none, true},
        {Qt::Key_End, none, true},
        {Qt::Key_Shift, Qt::ShiftModifier, true},
        {Qt::Key_Control, Qt::ControlModifier, false}, // so no Ctrl+V
        {Qt::Key_Up, none, false},
        {Qt::Key_A, none, false},
        {Qt::Key_Minus, none, false},
        {Qt::Key_F1, none, false},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(acceptNumericKey(c.key, c.modifiers), c.accepted) << "key " << std::hex << c.key;
}

TEST(NumericKeyFilter, CharacterFilterKeepsDigitsAndBackspace) {
    for (char16_t ch = u'0'; ch <= u'9'; ++ch)
        EXPECT_TRUE(acceptNumericChar(ch));
    EXPECT_TRUE(acceptNumericChar(u'\b'));
    for (char16_t ch : {u'a', u'-', u'+', u' ', u'.', u'０', u'/'})
        EXPECT_FALSE(acceptNumericChar(ch)) << int(ch);
}

TEST(NumericEntry, ParsesSixteenBitIntegersOnly) {
    EXPECT_EQ(parseInt16(QStringLiteral("42")), 42);
    EXPECT_EQ(parseInt16(QStringLiteral(" 7 ")), 7);
    EXPECT_EQ(parseInt16(QStringLiteral("-3")), -3);
    EXPECT_EQ(parseInt16(QStringLiteral("32767")), 32767);
    EXPECT_FALSE(parseInt16(QStringLiteral("32768")));
    EXPECT_FALSE(parseInt16(QString()));
    EXPECT_FALSE(parseInt16(QStringLiteral("1a")));
    EXPECT_FALSE(parseInt16(QStringLiteral("abc")));
}

struct TextCase {
    const char* text;
    const char* expected; // nullptr: no replacement
};

void expectCorrections(std::optional<QString> (*correct)(const QString&),
                       std::initializer_list<TextCase> cases) {
    for (const TextCase& c : cases) {
        const auto result = correct(QString::fromUtf8(c.text));
        if (c.expected)
            EXPECT_EQ(result, QString::fromUtf8(c.expected)) << "text '" << c.text << "'";
        else
            EXPECT_FALSE(result) << "text '" << c.text << "' became " << result->toStdString();
    }
}

TEST(NumericEntry, MinutesAreHeldToOneToSixty) {
    expectCorrections(correctMinutesText, {{"", "1"},
                                           {" ", "1"},
                                           {"0", "1"},
                                           {"-5", "1"},
                                           {"1", nullptr},
                                           {"60", nullptr},
                                           {"61", "60"},
                                           {"99", "60"},
                                           {"ab", nullptr}});
}

TEST(NumericEntry, IntervalIsHeldToOneToHundredAndMayStayEmpty) {
    expectCorrections(correctIntervalText, {{"", nullptr},
                                            {"  ", nullptr},
                                            {"0", "1"},
                                            {"1", nullptr},
                                            {"100", nullptr},
                                            {"101", "100"},
                                            {"999", "100"},
                                            {"x", nullptr}});
}

TEST(BoardPosition, TypedEdgeSettlesInsideTheScreen) {
    const int maximum = positionMaximum(1280, 411); // 869
    EXPECT_EQ(maximum, 869);
    EXPECT_EQ(correctPositionText(QStringLiteral("900"), maximum), QStringLiteral("869"));
    EXPECT_EQ(correctPositionText(QStringLiteral("-4"), maximum), QStringLiteral("0"));
    EXPECT_FALSE(correctPositionText(QStringLiteral("869"), maximum));
    EXPECT_FALSE(correctPositionText(QStringLiteral("0"), maximum));
    EXPECT_FALSE(correctPositionText(QString(), maximum));
    EXPECT_FALSE(correctPositionText(QStringLiteral("x"), maximum));
}

TEST(BoardPosition, BoardLargerThanScreenSettlesOnZero) {
    const int maximum = positionMaximum(400, 632); // negative
    // Applying the corrections until the text stays must end, and on 0.
    QString text = QStringLiteral("123");
    int rounds = 0;
    while (const auto corrected = correctPositionText(text, maximum)) {
        text = *corrected;
        ASSERT_LT(++rounds, 3) << "the corrections keep replacing each other";
    }
    EXPECT_EQ(text, QStringLiteral("0"));
}

TEST(BoardPosition, EdgeOptions) {
    EXPECT_EQ(edgeForPositionOption(0, 1280, 411), 0);
    EXPECT_EQ(edgeForPositionOption(1, 1280, 411), 434); // 434.5 rounds to even
    EXPECT_EQ(edgeForPositionOption(1, 1280, 410), 435);
    EXPECT_EQ(edgeForPositionOption(2, 1280, 411), 869);
    // The free area of a screen with a 24 px panel at the top and a 30 px
    // task bar at the bottom (1024 px high): the board stays between them.
    EXPECT_EQ(edgeForPositionOption(0, 970, 94, 24), 24);
    EXPECT_EQ(edgeForPositionOption(2, 970, 94, 24), 900);
    const int maximum = positionMaximum(970, 94, 24);
    EXPECT_EQ(correctPositionText(QStringLiteral("950"), maximum, 24), QStringLiteral("900"));
    EXPECT_EQ(correctPositionText(QStringLiteral("3"), maximum, 24), QStringLiteral("24"));
}

TEST(BoardPosition, StoredBoardComesWhollyInsideTheFreeAreaOfItsScreen) {
    // Two screens side by side; the first has a 30 px task bar at the bottom.
    const QList<QRect> areas = {QRect(0, 0, 1280, 994), QRect(1280, 0, 1024, 768)};
    const QRect primary = areas[0];
    const QSize board(411, 94);
    const auto shown = [&](int x, int y) {
        return positionInsideArea(QRect(QPoint(x, y), board), areas, primary);
    };
    EXPECT_EQ(shown(5000, 4000), QPoint(869, 900)) << "off every screen: the primary one";
    EXPECT_EQ(shown(-32768, -32768), QPoint(0, 0));
    EXPECT_EQ(shown(1500, 900), QPoint(869, 900)) << "below the smaller second screen";
    EXPECT_EQ(shown(1500, 300), QPoint(1500, 300)) << "wholly inside stays";
    EXPECT_EQ(shown(854, 16), QPoint(854, 16));
    EXPECT_EQ(shown(1000, 16), QPoint(869, 16)) << "past the right edge";
    EXPECT_EQ(shown(-300, 950), QPoint(0, 900)) << "past the left edge and the task bar";
    EXPECT_EQ(shown(1240, 10), QPoint(1280, 10)) << "mostly on the second screen";
    EXPECT_EQ(positionInsideArea(QRect(100, 100, 2000, 1200), areas, primary), QPoint(0, 0))
        << "larger than the area: its top-left corner stays reachable";
}

TEST(FontSizeLimits, RangesAndCapsPerBoardSize) {
    EXPECT_EQ(fontSizeRange(0).smallest, 8);
    EXPECT_EQ(fontSizeRange(0).largest, 14);
    EXPECT_EQ(fontSizeRange(1).largest, 11);
    EXPECT_EQ(fontSizeRange(2).largest, 9);
    EXPECT_DOUBLE_EQ(cappedFontSize(12, 1), 11);
    EXPECT_DOUBLE_EQ(cappedFontSize(12, 2), 9);
    EXPECT_DOUBLE_EQ(cappedFontSize(14, 0), 14);
    EXPECT_DOUBLE_EQ(cappedFontSize(20, 0), 20); // 大 leaves the font alone
    EXPECT_DOUBLE_EQ(cappedFontSize(8, 2), 8);
}

TEST(SoundPathOnApply, SplitsTrimmedPathAtLastSeparator) {
    auto check = [](bool on, const QString& text, const QString& dir, const QString& name) {
        const SoundPathParts p = soundPathOnApply(on, text);
        EXPECT_EQ(p.directory, dir) << text.toStdString();
        EXPECT_EQ(p.fileName, name) << text.toStdString();
    };
    check(true, QStringLiteral("/snd/bells/a.wav"), QStringLiteral("/snd/bells/"),
          QStringLiteral("a.wav"));
    check(true, QStringLiteral("  /snd/a.wav "), QStringLiteral("/snd/"), QStringLiteral("a.wav"));
    check(true, QStringLiteral("a.wav"), QString(), QStringLiteral("a.wav"));
    check(true, QStringLiteral("D:\\snd\\a.wav"), QStringLiteral("D:\\snd\\"),
          QStringLiteral("a.wav"));
    check(true, QStringLiteral("/snd/a.wav") + QChar(u'\0') + QStringLiteral("junk"),
          QStringLiteral("/snd/"), QStringLiteral("a.wav"));
    check(false, QStringLiteral("/snd/a.wav"), QString(), QString());
}

class ValidateOptions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_wav = m_dir.filePath(QStringLiteral("chime.wav"));
        QFile f(m_wav);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
        m_values.chosen.preAlarm = true;
        m_values.chosen.alarmSkip = true;
        m_values.chosen.alarmSound = true;
        m_values.preAlarmMinuteText = QStringLiteral("5");
        m_values.alarmSkipMinuteText = QStringLiteral("5");
        m_values.soundPathText = m_wav;
        m_values.intervalText = QStringLiteral("10");
        m_values.positionXText = QStringLiteral("10");
        m_values.positionYText = QStringLiteral("20");
    }
    std::optional<OptionField> problemField() const {
        const auto p = validateOptions(m_values);
        return p ? std::optional<OptionField>(p->field) : std::nullopt;
    }

    QTemporaryDir m_dir;
    QString m_wav;
    OptionValues m_values;
};

TEST_F(ValidateOptions, AcceptsCompleteValues) {
    EXPECT_FALSE(problemField());
}

TEST_F(ValidateOptions, SoundPathMustNameAnExistingFile) {
    for (const QString& bad :
         {QString(), QStringLiteral("   "), m_dir.path(),
          m_dir.filePath(QStringLiteral("missing.wav")), QStringLiteral(" ") + m_wav}) {
        m_values.soundPathText = bad;
        const auto p = validateOptions(m_values);
        ASSERT_TRUE(p) << bad.toStdString();
        EXPECT_EQ(p->field, OptionField::SoundPath);
        EXPECT_EQ(p->message, QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙのﾊﾟｽを正しく指定してください。"));
    }
    m_values.chosen.alarmSound = false; // the sound is off: the path is not looked at
    EXPECT_FALSE(problemField());
}

TEST_F(ValidateOptions, RefusesBoxesThatAreNotNumbers) {
    m_values.intervalText = QString();
    EXPECT_EQ(problemField(), OptionField::Interval);
    m_values.intervalText = QStringLiteral("10");

    m_values.alarmSkipMinuteText = QStringLiteral("ab");
    EXPECT_EQ(problemField(), OptionField::AlarmSkipMinutes);
    m_values.chosen.alarmSkip = false; // a disabled box cannot be corrected: its setting stays
    EXPECT_FALSE(problemField());
    m_values.alarmSkipMinuteText = QStringLiteral("5");

    m_values.positionXText = QString();
    EXPECT_FALSE(problemField()) << "position boxes only count with 位置を設定";
    m_values.setPosition = true;
    EXPECT_EQ(problemField(), OptionField::PositionX);
    m_values.positionXText = QStringLiteral("3");
    m_values.positionYText = QStringLiteral("x");
    EXPECT_EQ(problemField(), OptionField::PositionY);
}

TEST(ApplyOptionValues, ReadsTheBoxesIntoTheChosenSettings) {
    OptionValues v;
    v.chosen.lastPositionX = 33;
    v.chosen.lastPositionY = 44;
    v.chosen.interval = 10;
    v.chosen.alarmSound = true;
    v.fontPointSize = 10.5;
    v.preAlarmMinuteText = QStringLiteral("7");
    v.alarmSkipMinuteText = QStringLiteral(" 12 ");
    v.intervalText = QStringLiteral("x"); // refused before this; the setting stays
    v.soundPathText = QStringLiteral(" /snd/x.wav ");
    v.positionXText = QStringLiteral("120");
    v.positionYText = QStringLiteral("0");

    const Settings s = applyOptionValues(v);
    EXPECT_EQ(s.fontSize, 10); // halves to even
    EXPECT_EQ(s.preAlarmMinute, 7);
    EXPECT_EQ(s.alarmSkipMinute, 12);
    EXPECT_EQ(s.interval, 10);
    EXPECT_EQ(s.soundDirectory, QStringLiteral("/snd/"));
    EXPECT_EQ(s.soundFileName, QStringLiteral("x.wav"));
    EXPECT_EQ(s.lastPositionX, 33) << "without 位置を設定 the position stays";
    EXPECT_EQ(s.lastPositionY, 44);

    v.fontPointSize = 11.5;
    v.setPosition = true;
    v.chosen.alarmSound = false;
    const Settings t = applyOptionValues(v);
    EXPECT_EQ(t.fontSize, 12);
    EXPECT_EQ(t.lastPositionX, 120);
    EXPECT_EQ(t.lastPositionY, 0);
    EXPECT_TRUE(t.soundDirectory.isEmpty());
    EXPECT_TRUE(t.soundFileName.isEmpty()) << "sound off empties the stored path";
}

TEST(DisplaySpeedTest, ShowsTheBoardsPlaceholderFramesAtItsPaceThenTheText) {
    using Frame = DisplaySpeedTest::Frame;
    DisplaySpeedTest test(1);
    for (int k = 0; k < board::pace::PlaceholderFrames; ++k)
        ASSERT_EQ(test.next(1), Frame::Placeholder) << k;
    EXPECT_EQ(test.next(1), Frame::Restore);
    EXPECT_EQ(test.next(1), Frame::End);
    EXPECT_EQ(test.next(1), Frame::End);
    // A frame lasts as long as one of the board's, in proportion to the value.
    EXPECT_EQ(DisplaySpeedTest::frameMs(10), board::pace::placeholderFrameUs(10) / 1000);
    EXPECT_EQ(DisplaySpeedTest::frameMs(20), 2 * DisplaySpeedTest::frameMs(10));
}

TEST(DisplaySpeedTest, EmptiedBoxEndsTheTest) {
    using Frame = DisplaySpeedTest::Frame;
    DisplaySpeedTest test(10);
    EXPECT_EQ(test.next(10), Frame::Placeholder);
    EXPECT_EQ(test.next(std::nullopt), Frame::End);
    EXPECT_EQ(test.next(10), Frame::End);
}

TEST(DisplaySpeedTest, ChangedValueStillRestoresOnceAndEnds) {
    using Frame = DisplaySpeedTest::Frame;
    DisplaySpeedTest test(2);
    int restores = 0, frames = 0;
    for (Frame f = test.next(1); f != Frame::End; f = test.next(1)) {
        ++frames;
        restores += f == Frame::Restore;
    }
    EXPECT_EQ(frames, board::pace::PlaceholderFrames + 1);
    EXPECT_EQ(restores, 1); // the caller restores again at the end
}

TEST(VersionText, TitleVersionCopyrightCompany) {
    EXPECT_EQ(versionText(QStringLiteral("T"), QStringLiteral("1.7.1"), QStringLiteral("(C) M"),
                          QStringLiteral("M")),
              QStringLiteral("T\nVersion 1.7.1\n(C) M\nM"));
    EXPECT_EQ(versionText(QStringLiteral("T"), QStringLiteral("1.7.1"), QString(), QString()),
              QStringLiteral("T\nVersion 1.7.1"));
    EXPECT_TRUE(buildVersionText().contains(QStringLiteral("1.7.1")));
}

} // namespace
