#pragma once

#include <QSizeF>
#include <QString>

#include <algorithm>
#include <cstdint>

namespace tanzo {

// Board sizes, the values of WindowSize.
enum BoardSize : int16_t { Big = 0, Middle = 1, Small = 2 };

// Colours are 0x00BBGGRR values, as stored.
using BgrColor = uint32_t;

// Every option of the program with its default. The window group is written
// at exit, the option group with it when the options dialog applies; which
// stored value holds which member is listed in StoredSettings.cpp.
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
    // The stored sound path, split at its last path separator: start-up puts
    // the system's sound folder in front of a bare file name.
    QString soundDirectory;
    QString soundFileName = QStringLiteral("Chord.wav");
    int16_t interval = 10;
    // Whether the desktop starts the board with the session; the autostart
    // entry itself is what the desktop reads.
    bool startAtLogin = false;

    QString soundPath() const { return soundDirectory + soundFileName; }
    bool operator==(const Settings&) const = default;
};

// The range a number setting must lie in for the program to work with it.
struct Bounds {
    int16_t min;
    int16_t max;

    constexpr bool contains(int value) const { return value >= min && value <= max; }
    constexpr int16_t clamp(int16_t value) const { return std::clamp(value, min, max); }
};

// Minutes of the advance notice and of the overdue limit.
inline constexpr Bounds kNoticeMinutesBounds{1, 60};
// The flap animation's speed (display speed).
inline constexpr Bounds kIntervalBounds{1, 100};
// The board font's size in points as stored; the font chooser offers less
// (see BoardSizeFacts).
inline constexpr Bounds kFontSizeBounds{1, 72};
inline constexpr Bounds kWindowSizeBounds{Big, Small};

// What each board size needs: the font sizes its cells can show, and the
// smallest screen (twips) that holds the whole board.
struct BoardSizeFacts {
    int smallestFont;
    int largestFont;
    double minScreenWidthTwips;
    double minScreenHeightTwips;
};

constexpr BoardSizeFacts boardSizeFacts(int size) {
    switch (size) {
    case Big:
        return {8, 14, 9480, 1680};
    case Middle:
        return {8, 11, 7595, 1590};
    default:
        return {8, 9, 6155, 0};
    }
}

// Splits a sound path at its last "/" (or "\"): directory with the
// separator, and the file name.
void splitSoundPath(const QString& path, QString& directory, QString& fileName);

// The settings store keeps the sound path in code page 932, in at most this
// many bytes; a longer stored value is not read back.
inline constexpr int kSoundFileMaxBytes = 255;

// Lowers Big to Middle, and Middle to Small, when the screen (in twips) is
// too small for them.
int16_t fitWindowSizeToScreen(int16_t size, const QSizeF& screenTwips);

} // namespace tanzo
