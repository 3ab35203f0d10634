#pragma once

#include "core/Settings.h"

#include <QString>

#include <functional>
#include <optional>

namespace tanzo::options {

// What the options dialog's controls hold at the moment OK or Apply is
// pressed.
struct OptionValues {
    // The settings in memory with what the check boxes, colours, font and
    // board size show put over them.
    Settings chosen;
    // The font chooser works in points with fractions; the stored size is
    // whole.
    double fontPointSize = 9.0;

    // The boxes' texts are kept as typed; the checks decide what they mean.
    QString preAlarmMinuteText;
    QString alarmSkipMinuteText;
    QString intervalText;
    QString soundPathText;
    // 位置を設定: the position boxes count only when it is checked.
    bool setPosition = false;
    QString positionXText;
    QString positionYText;
};

// The control a refusal sends the focus to.
enum class OptionField {
    SoundPath,
    PreAlarmMinutes,
    AlarmSkipMinutes,
    Interval,
    PositionX,
    PositionY
};

struct OptionProblem {
    OptionField field;
    QString message;
};

// Whether a sound path names an existing file (directories and hidden
// files do not count).
bool soundFileExists(const QString& path);

// The checks of OK and Apply, in order: the sound path when the sound is on
// (an existing file, whose path the settings store can keep as it is), then the numeric boxes (an
// empty display speed, an empty position box with 位置を設定 checked, or pasted text that is not a
// number in an enabled box).
std::optional<OptionProblem>
validateOptions(const OptionValues& values,
                const std::function<bool(const QString&)>& fileExists = soundFileExists);

// The sound path as it is stored: with the sound off, nothing; otherwise the
// trimmed text, cut at a NUL, split into directory and file name.
struct SoundPathParts {
    QString directory;
    QString fileName;
};
SoundPathParts soundPathOnApply(bool soundOn, const QString& text);

// The settings the dialog stores, from validated values: a box that still
// holds no number keeps the setting it had.
Settings applyOptionValues(const OptionValues& values);

// The messages of the refusals the numeric boxes can cause.
extern const QString kMinutesMessage;
extern const QString kIntervalMessage;
extern const QString kPositionMessage;
extern const QString kSoundPathMessage;
extern const QString kSoundPathCharsMessage;
extern const QString kSoundPathLengthMessage;

} // namespace tanzo::options
