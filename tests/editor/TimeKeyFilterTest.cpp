#include "editor/TimeKeyFilter.h"
#include "editor/EntryText.h"

#include <gtest/gtest.h>

namespace tanzo {
namespace {

TEST(TimeKeyFilter, KeysByCodeAndModifiers) {
    using V = TimeKeyVerdict;
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        V verdict;
    };
    const Case cases[] = {
        {Qt::Key_0, Qt::NoModifier, V::Accept},
        {Qt::Key_9, Qt::NoModifier, V::Accept},
        {Qt::Key_5, Qt::ShiftModifier, V::Refuse},
        {Qt::Key_5, Qt::ControlModifier, V::Refuse},
        {Qt::Key_5, Qt::AltModifier, V::Refuse},
        {Qt::Key_7, Qt::KeypadModifier, V::Accept},
        {Qt::Key_Delete, Qt::NoModifier, V::Accept},
        {Qt::Key_Backspace, Qt::NoModifier, V::Accept},
        {Qt::Key_Home, Qt::NoModifier, V::Accept},
        {Qt::Key_End, Qt::NoModifier, V::Accept},
        {Qt::Key_Left, Qt::NoModifier, V::Accept},
        {Qt::Key_Down, Qt::NoModifier, V::Accept},
        {Qt::Key_Shift, Qt::ShiftModifier, V::Accept},
        {Qt::Key_A, Qt::NoModifier, V::Refuse},
        {Qt::Key_V, Qt::ControlModifier, V::Refuse},
        {Qt::Key_Space, Qt::NoModifier, V::Refuse},
        {Qt::Key_Period, Qt::KeypadModifier, V::Refuse},
        {Qt::Key_Exclam, Qt::ShiftModifier, V::Refuse},
        {Qt::Key_Tab, Qt::NoModifier, V::PassToWindow},
        {Qt::Key_Backtab, Qt::ShiftModifier, V::PassToWindow},
        {Qt::Key_Return, Qt::NoModifier, V::PassToWindow},
        {Qt::Key_Enter, Qt::KeypadModifier, V::PassToWindow},
        {Qt::Key_Escape, Qt::NoModifier, V::PassToWindow},
    };
    for (const Case& c : cases)
        EXPECT_EQ(classifyTimeKey(c.key, c.mods), c.verdict)
            << std::hex << c.key << " mods " << c.mods.toInt();
}

TEST(TimeKeyFilter, OnlyDigitsAndControlCharactersReachTheBox) {
    EXPECT_TRUE(acceptTimeText(""));
    EXPECT_TRUE(acceptTimeText("0"));
    EXPECT_TRUE(acceptTimeText("59"));
    EXPECT_TRUE(acceptTimeText("\b"));
    EXPECT_FALSE(acceptTimeText("a"));
    EXPECT_FALSE(acceptTimeText("１")); // full-width digit
    EXPECT_FALSE(acceptTimeText("1 "));
}

TEST(EntryText, QuotesAndLineBreaksBecomeStorableCharacters) {
    EXPECT_EQ(cleanEntryText("a\"b\"c"), QStringLiteral("a＂b＂c"));
    EXPECT_EQ(cleanEntryText("one\r\ntwo\nthree"), QStringLiteral("one  two three"));
    EXPECT_EQ(cleanEntryText("会議室 | 2F"), QStringLiteral("会議室 | 2F"));

    EntryTextValidator validator;
    QString typed = QStringLiteral("\"x\"");
    int pos = 3;
    EXPECT_EQ(validator.validate(typed, pos), QValidator::Acceptable);
    EXPECT_EQ(typed, QStringLiteral("＂x＂"));
    EXPECT_EQ(pos, 3);

    // Text the code page cannot hold is refused, never turned into '?'.
    int refusals = 0;
    QObject::connect(&validator, &EntryTextValidator::refused, [&] { ++refusals; });
    for (const QString& bad : {QStringLiteral("5€"), QStringLiteral("ö"), QStringLiteral("😀"),
                               QString(QChar(0xD83D)), QStringLiteral("¥")}) {
        QString input = bad;
        EXPECT_EQ(validator.validate(input, pos), QValidator::Invalid) << bad.toStdString();
        EXPECT_EQ(input, bad);
    }
    EXPECT_EQ(refusals, 5);
    QString good = QStringLiteral("髙①ｶﾅ～");
    EXPECT_EQ(validator.validate(good, pos), QValidator::Acceptable);

    // What input methods type is taken as the page's look-alike, and a
    // pasted control character goes, the cursor staying after the text.
    QString imeTyped = QStringLiteral("9〜10時\x1b −5");
    pos = static_cast<int>(imeTyped.size());
    EXPECT_EQ(validator.validate(imeTyped, pos), QValidator::Acceptable);
    EXPECT_EQ(imeTyped, QStringLiteral("9～10時 －5"));
    EXPECT_EQ(pos, imeTyped.size());
}

} // namespace
} // namespace tanzo
