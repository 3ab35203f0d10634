#include "core/SettingsRepository.h"

#include "platform/Cp932.h"
#include "platform/RegistryStore.h"
#include "support/FailingWriters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tanzo {
namespace {

using Type = RegistryStore::Type;
using Value = RegistryStore::Value;

const QSizeF kWideScreen(1920 * 15, 1080 * 15);
const QString kKey = SettingsRepository::defaultKeyPath();

Value bin(std::initializer_list<uint8_t> bytes) {
    QByteArray data;
    for (uint8_t b : bytes)
        data.append(static_cast<char>(b));
    return {Type::Binary, data};
}
Value text(const QByteArray& cp932Bytes) {
    return {Type::String, cp932Bytes};
}

class SettingsTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath("config/settings.reg"); }
    QByteArray fileBytes() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    Settings readWith(const QString& name, const Value& value, const QSizeF& screen = kWideScreen) {
        RegistryStore store(path());
        store.setValue(kKey, name, value);
        return SettingsRepository(store).read(screen);
    }

    QTemporaryDir m_dir;
};

TEST_F(SettingsTest, EmptyStoreGivesTheDefaults) {
    RegistryStore store(path());
    SettingsRepository repo(store);
    ASSERT_TRUE(repo.openKey());
    const Settings s = repo.read(kWideScreen);
    EXPECT_EQ(s.fontName, QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(s.fontSize, 9);
    EXPECT_FALSE(s.fontBold);
    EXPECT_FALSE(s.fontItalic);
    EXPECT_EQ(s.backColor, 0x000000u);
    EXPECT_EQ(s.foreColor1, 0xFFFFFFu);
    EXPECT_EQ(s.foreColor2, 0xFFFF00u);
    EXPECT_TRUE(s.preAlarm);
    EXPECT_EQ(s.preAlarmMinute, 5);
    EXPECT_TRUE(s.alarmSkip);
    EXPECT_EQ(s.alarmSkipMinute, 5);
    EXPECT_TRUE(s.alarmSound);
    EXPECT_EQ(s.soundDirectory, QString()); // start-up puts the media directory here
    EXPECT_EQ(s.soundFileName, "Chord.wav");
    EXPECT_EQ(s.interval, 10);
    EXPECT_EQ(s.windowSize, Small);
    EXPECT_FALSE(s.showTask);
    EXPECT_FALSE(s.topMost);
    EXPECT_FALSE(s.saveLastPosition);
    EXPECT_EQ(s.lastPositionX, 1);
    EXPECT_EQ(s.lastPositionY, 1);
    EXPECT_FALSE(s.activeDisplay);
    EXPECT_FALSE(s.startAtLogin); // files written before the option existed
}

TEST_F(SettingsTest, EveryValueRoundTripsWithItsStoredWidth) {
    Settings s;
    s.windowSize = Middle;
    s.showTask = s.topMost = s.saveLastPosition = s.activeDisplay = true;
    s.lastPositionX = -320;
    s.lastPositionY = 700;
    s.fontName = QStringLiteral("ＨＧｺﾞｼｯｸE-PRO");
    s.fontBold = s.fontItalic = true;
    s.fontSize = 14;
    s.backColor = 0x123456;
    s.foreColor1 = 0x0000FF;
    s.foreColor2 = 0x00FF00;
    s.preAlarm = s.alarmSkip = s.alarmSound = false;
    s.preAlarmMinute = 15;
    s.alarmSkipMinute = 30;
    s.soundDirectory = "/home/user/音/";
    s.soundFileName = "ding.wav";
    s.interval = 42;
    s.startAtLogin = true;
    {
        RegistryStore store(path());
        ASSERT_TRUE(SettingsRepository(store).writeAllSettings(s, false));
    }
    RegistryStore store(path());
    SettingsRepository repo(store);
    ASSERT_TRUE(repo.openKey());

    const std::pair<const char*, int> widths[] = {
        {"WindowSize", 2},       {"ShowTask", 2},        {"TopMost", 2},
        {"SaveLastPosition", 2}, {"LastPositionX", 2},   {"LastPositionY", 2},
        {"ActiveDisplay", 2},    {"FontBold", 2},        {"FontItalic", 2},
        {"FontSize", 2},         {"BackColor", 4},       {"ForeColor1", 4},
        {"ForeColor2", 4},       {"PreAlarm", 2},        {"PreAlarmMinute", 2},
        {"AlarmSkip", 2},        {"AlarmSkipMinute", 2}, {"AlarmSound", 2},
        {"Interval", 2},         {"StartAtLogin", 2},
    };
    for (const auto& [name, width] : widths) {
        SCOPED_TRACE(name);
        const auto v = store.value(kKey, name);
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(v->type, Type::Binary);
        EXPECT_EQ(v->data.size(), width);
    }
    EXPECT_EQ(store.value(kKey, "ShowTask")->data, QByteArray("\xff\xff"));
    EXPECT_EQ(store.value(kKey, "FontBold")->data, QByteArray("\xff\xff"));
    EXPECT_EQ(store.value(kKey, "PreAlarm")->data, QByteArray(2, '\0'));
    EXPECT_EQ(store.value(kKey, "LastPositionX")->data, QByteArray("\xc0\xfe"));
    EXPECT_EQ(store.value(kKey, "BackColor")->data, QByteArray("\x56\x34\x12\x00", 4));
    EXPECT_EQ(store.value(kKey, "FontName")->data, cp932::encode(s.fontName));
    EXPECT_EQ(store.value(kKey, "FontName")->type, Type::String);
    EXPECT_EQ(store.value(kKey, "SoundFile")->data, cp932::encode("/home/user/音/ding.wav"));

    Settings back;
    back = repo.read(kWideScreen);
    EXPECT_EQ(back, s);
}

TEST_F(SettingsTest, AnyNonZeroBooleanIsTrue) {
    EXPECT_TRUE(readWith("TopMost", bin({0x01, 0x00})).topMost);
    EXPECT_TRUE(readWith("TopMost", bin({0x00, 0x80})).topMost);
    EXPECT_FALSE(readWith("PreAlarm", bin({0x00, 0x00})).preAlarm);
}

TEST_F(SettingsTest, UnreadableValuesFallBackToTheirDefaults) {
    const Settings d;
    EXPECT_EQ(readWith("FontSize", bin({12, 0, 0, 0})).fontSize, d.fontSize);
    EXPECT_EQ(readWith("FontSize", bin({12})).fontSize, d.fontSize);
    EXPECT_EQ(readWith("BackColor", bin({0xff, 0xff})).backColor, d.backColor);
    EXPECT_EQ(readWith("PreAlarm", bin({0, 0, 0, 0})).preAlarm, d.preAlarm);
    EXPECT_EQ(readWith("FontName", text(QByteArray(33, 'A'))).fontName, d.fontName);
    EXPECT_EQ(readWith("FontName", text(QByteArray(32, 'A'))).fontName, QString(32, 'A'));
    // 17 double-byte characters are 34 bytes: too long, though only 17 characters.
    EXPECT_EQ(readWith("FontName", text(cp932::encode(QString(17, QChar(0x3042))))).fontName,
              d.fontName);
    EXPECT_EQ(readWith("FontName", text(QByteArray("Mono\0junk", 9))).fontName, "Mono");
    const Settings longSound = readWith("SoundFile", text("/" + QByteArray(255, 'a')));
    EXPECT_EQ(longSound.soundFileName, "Chord.wav");
    EXPECT_EQ(longSound.soundDirectory, QString());
    EXPECT_EQ(readWith("SoundFile", text("/" + QByteArray(254, 'a'))).soundFileName,
              QString(254, 'a'));
}

TEST_F(SettingsTest, OutOfRangeNumbersAreCorrected) {
    struct Case {
        const char* name;
        int16_t stored;
        int16_t Settings::*field;
        int16_t expected;
    };
    const Case cases[] = {
        {"Interval", 0, &Settings::interval, 1},
        {"Interval", -7, &Settings::interval, 1},
        {"Interval", 101, &Settings::interval, 100},
        {"Interval", 100, &Settings::interval, 100},
        {"PreAlarmMinute", 0, &Settings::preAlarmMinute, 1},
        {"PreAlarmMinute", 61, &Settings::preAlarmMinute, 60},
        {"AlarmSkipMinute", -1, &Settings::alarmSkipMinute, 1},
        {"AlarmSkipMinute", 999, &Settings::alarmSkipMinute, 60},
        {"FontSize", 0, &Settings::fontSize, 9},
        {"FontSize", -12, &Settings::fontSize, 9},
        {"FontSize", 500, &Settings::fontSize, 72},
        {"FontSize", 72, &Settings::fontSize, 72},
        {"WindowSize", 3, &Settings::windowSize, Small},
        {"WindowSize", -1, &Settings::windowSize, Small},
        {"WindowSize", 0, &Settings::windowSize, Big},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + std::to_string(c.stored));
        const auto u = static_cast<uint16_t>(c.stored);
        const Settings s =
            readWith(c.name, bin({static_cast<uint8_t>(u & 0xff), static_cast<uint8_t>(u >> 8)}));
        EXPECT_EQ(s.*c.field, c.expected);
    }
}

TEST_F(SettingsTest, WindowSizeIsFittedToTheScreen) {
    struct Case {
        int16_t size;
        QSizeF screen;
        int16_t expected;
    };
    const Case cases[] = {
        {Big, {9480, 1680}, Big},       {Big, {9000, 5000}, Middle},
        {Big, {9600, 1600}, Middle},    {Big, {7000, 5000}, Small},
        {Middle, {7595, 1590}, Middle}, {Middle, {7594, 5000}, Small},
        {Middle, {9000, 1500}, Small},  {Small, {100, 100}, Small},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.size << " on " << c.screen.width() << "x" << c.screen.height());
        EXPECT_EQ(fitWindowSizeToScreen(c.size, c.screen), c.expected);
    }
    EXPECT_EQ(readWith("WindowSize", bin({0, 0}), QSizeF(9000, 5000)).windowSize, Middle);
}

TEST_F(SettingsTest, SoundFileIsSplitAtTheLastSeparator) {
    const std::tuple<QString, QString, QString> cases[] = {
        {"D:\\snd\\a.wav", "D:\\snd\\", "a.wav"},
        {"/home/u/snd/a.wav", "/home/u/snd/", "a.wav"},
        {"/home/u\\odd/a.wav", "/home/u\\odd/", "a.wav"},
        {"a.wav", "", "a.wav"},
        {"/dir/", "/dir/", ""},
    };
    for (const auto& [path, dir, file] : cases) {
        QString d, f;
        splitSoundPath(path, d, f);
        EXPECT_EQ(d, dir) << path.toStdString();
        EXPECT_EQ(f, file) << path.toStdString();
    }
}

TEST_F(SettingsTest, StoredPositionIsKeptUnlessSavingItOutsideTheTray) {
    struct Case {
        bool saveLastPosition;
        bool trayMode;
        int16_t expectedX;
    };
    const Case cases[] = {{false, false, 111}, {true, true, 111}, {true, false, 640}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.saveLastPosition << c.trayMode);
        QFile::remove(path());
        RegistryStore store(path());
        SettingsRepository repo(store);
        ASSERT_TRUE(repo.openKey());
        store.setValue(kKey, "LastPositionX", bin({111, 0}));
        store.setValue(kKey, "LastPositionY", bin({222, 0}));
        Settings s;
        s.saveLastPosition = c.saveLastPosition;
        s.lastPositionX = 640;
        s.lastPositionY = 480;
        s.topMost = true;
        ASSERT_TRUE(repo.writeWindowSettings(s, c.trayMode));

        RegistryStore reread(path());
        SettingsRepository rereadRepo(reread);
        ASSERT_TRUE(rereadRepo.openKey());
        Settings back;
        back = rereadRepo.read(kWideScreen);
        EXPECT_EQ(back.lastPositionX, c.expectedX);
        EXPECT_TRUE(back.topMost);
        // The window group leaves the options alone.
        EXPECT_FALSE(reread.value(kKey, "FontName").has_value());
    }
}

TEST_F(SettingsTest, LegacySubkeysBecomeStringValues) {
    {
        RegistryStore store(path());
        store.setDefaultValue(kKey + "\\FontName", QStringLiteral("ＭＳ 明朝"));
        store.setDefaultValue(kKey + "\\SoundFile", QStringLiteral("C:\\snd\\old.wav"));
        store.setValue(kKey, "FontSize", bin({11, 0}));
        ASSERT_TRUE(store.save());
    }
    RegistryStore store(path());
    SettingsRepository repo(store);
    ASSERT_TRUE(repo.openKey());
    ASSERT_TRUE(repo.migrateLegacy());
    EXPECT_FALSE(store.keyExists(kKey + "\\FontName"));
    EXPECT_FALSE(store.keyExists(kKey + "\\SoundFile"));

    // Kept in the file, not only in memory.
    RegistryStore reread(path());
    SettingsRepository rereadRepo(reread);
    ASSERT_TRUE(rereadRepo.openKey());
    Settings s;
    s = rereadRepo.read(kWideScreen);
    EXPECT_EQ(s.fontName, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(s.soundDirectory, "C:\\snd\\");
    EXPECT_EQ(s.soundFileName, "old.wav");
    EXPECT_EQ(s.fontSize, 11);
    EXPECT_EQ(reread.value(kKey, "FontName")->type, Type::String);
}

TEST_F(SettingsTest, LegacyConversionNeedsTheFontNameSubkey) {
    test::WriteFailures failures;
    RegistryStore store(path(), failures.factory());
    SettingsRepository repo(store);
    ASSERT_TRUE(repo.openKey());
    store.setDefaultValue(kKey + "\\SoundFile", "C:\\old.wav");
    ASSERT_TRUE(repo.migrateLegacy());
    EXPECT_TRUE(store.keyExists(kKey + "\\SoundFile"));
    EXPECT_FALSE(store.value(kKey, "SoundFile").has_value());

    store.setDefaultValue(kKey + "\\FontName", "Mono");
    failures.failAfterWrites = 0;
    EXPECT_FALSE(repo.migrateLegacy());
}

TEST_F(SettingsTest, DamagedFileIsKeptAsideAndTheGoodValuesUsed) {
    QDir().mkpath(m_dir.filePath("config"));
    const QByteArray damaged = "REGEDIT4\n[Software\\Merovane\\Tanzo\\Settings]\n"
                               "\"Interval\"=hex:1e,00\n\x89\xef garbage\n\"FontSize\"=hex:q1\n";
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    RegistryStore store(path());
    SettingsRepository repo(store);
    ASSERT_TRUE(repo.openKey());
    EXPECT_TRUE(store.damaged());
    Settings s;
    s = repo.read(kWideScreen);
    EXPECT_EQ(s.interval, 30);
    EXPECT_EQ(s.fontSize, 9);
    QFile copy(path() + ".damaged");
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);

    ASSERT_TRUE(repo.writeAllSettings(s, false));
    RegistryStore reread(path());
    ASSERT_TRUE(reread.load());
    EXPECT_FALSE(reread.damaged());
    EXPECT_FALSE(QFile::exists(path() + ".damaged.1"));
}

TEST_F(SettingsTest, FailedWritesAreReportedAndLeaveTheFile) {
    test::WriteFailures failures;
    RegistryStore store(path(), failures.factory());
    SettingsRepository repo(store);
    Settings s;
    ASSERT_TRUE(repo.writeAllSettings(s, false));
    const QByteArray before = fileBytes();

    s.interval = 55;
    s.windowSize = Big;
    failures.failAfterWrites = 0;
    EXPECT_FALSE(repo.writeWindowSettings(s, false));
    EXPECT_FALSE(repo.writeAllSettings(s, false));
    EXPECT_EQ(fileBytes(), before);

    // A store whose file cannot be replaced fails at the save.
    QFile blocker(m_dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryStore unwritable(m_dir.filePath("blocker/settings.reg"));
    SettingsRepository unwritableRepo(unwritable);
    EXPECT_FALSE(unwritableRepo.writeWindowSettings(s, false));
    EXPECT_FALSE(unwritableRepo.writeAllSettings(s, false));
}

TEST_F(SettingsTest, KeyCannotBeOpenedWhenTheFileCannotBeRead) {
    ASSERT_TRUE(QDir().mkpath(path()));
    RegistryStore store(path());
    EXPECT_FALSE(SettingsRepository(store).openKey());
}

} // namespace
} // namespace tanzo
