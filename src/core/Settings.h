#pragma once

#include <QSizeF>
#include <QString>

#include <cstdint>

namespace tanzo {

class RegistryStore;

// Board sizes, the values of WindowSize.
enum BoardSize : int16_t { Big = 0, Middle = 1, Small = 2 };

// Colours are 0x00BBGGRR values, as stored.
using BgrColor = uint32_t;

// Every option of the program with its default. The window group is written
// at exit, the option group with it when the options dialog applies.
struct Settings {
    // window group
    int16_t windowSize = Small;
    bool showTask = false;
    bool topMost = false;
    bool saveLastPosition = false;
    int16_t lastPositionX = 1; // pixels; 1 means not set
    int16_t lastPositionY = 1;
    bool activeDisplay = false;
    // option group
    QString fontName = QStringLiteral("ＭＳ ゴシック");
    bool fontBold = false;
    bool fontItalic = false;
    int16_t fontSize = 9;
    BgrColor backColor = 0x000000;
    BgrColor foreColor1 = 0xFFFFFF;
    BgrColor foreColor2 = 0xFFFF00;
    bool preAlarm = true;
    int16_t preAlarmMinute = 5;
    bool alarmSkip = true;
    int16_t alarmSkipMinute = 5;
    bool alarmSound = true;
    // The setting SoundFile, split at its last path separator.
    QString soundDirectory;
    QString soundFileName = QStringLiteral("Chord.wav");
    int16_t interval = 10;
    // Whether the desktop starts the board with the session; the autostart
    // entry itself is what the desktop reads.
    bool startAtLogin = false;

    QString soundPath() const { return soundDirectory + soundFileName; }
    bool operator==(const Settings&) const = default;
};

// Splits a sound path at its last "/" (or "\"): directory with the
// separator, and the file name.
void splitSoundPath(const QString& path, QString& directory, QString& fileName);

// The settings store keeps the sound path in code page 932, in at most this
// many bytes; a longer stored value is not read back.
inline constexpr int kSoundFileMaxBytes = 255;

// Lowers Big to Middle, and Middle to Small, when the screen (in twips) is
// too small for them.
int16_t fitWindowSizeToScreen(int16_t size, const QSizeF& screenTwips);

// The settings in the registry stand-in, under
// "Software\Merovane\Tanzo" + "\Settings".
class SettingsRepository {
public:
    static QString defaultKeyPath();

    SettingsRepository(RegistryStore& store, QString keyPath = defaultKeyPath());

    // Loads the store file and creates the key.
    bool openKey();
    // The older layout: FontName and SoundFile as default values of
    // subkeys of the same names become string values of the key.
    bool migrateLegacy();
    // Every value that cannot be read (missing, wrong width,
    // too long) takes its default; then the corrections (strings cut at
    // NUL, SoundFile split, WindowSize fitted to the screen, Interval
    // clamped to 1..100 and the minutes to 1..60).
    void read(Settings& settings, const QSizeF& screenTwips) const;
    // The window group, written at exit; stops at the first failure. LastPositionX/Y only
    // when SaveLastPosition is true and the board is not in the tray.
    bool writeWindowSettings(const Settings& settings, bool trayMode);
    // The window group, then the option group.
    bool writeAllSettings(const Settings& settings, bool trayMode);

private:
    // The values of each group without saving the store.
    bool writeWindowValues(const Settings& settings, bool trayMode);
    bool writeOptionValues(const Settings& settings);

    RegistryStore& m_store;
    QString m_keyPath;
};

} // namespace tanzo
