#include "OptionValues.h"

#include "NumericEntry.h"
#include "platform/Cp932.h"
#include "platform/Twips.h"

#include <QFileInfo>

namespace tanzo::options {

const QString kSoundPathMessage = QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙのﾊﾟｽを正しく指定してください。");
const QString kSoundPathCharsMessage =
    QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙのﾊﾟｽに保存できない文字が含まれています。");
const QString kSoundPathLengthMessage =
    QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙのﾊﾟｽが長すぎます。255ﾊﾞｲﾄ以内で指定してください。");
const QString kMinutesMessage =
    QStringLiteral("通知の時間は 1 から 60 までの数値で指定してください。");
const QString kIntervalMessage =
    QStringLiteral("表示速度は 1 から 100 までの数値で指定してください。");
const QString kPositionMessage = QStringLiteral("位置は数値で指定してください。");

bool soundFileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

namespace {
// A path the settings store would keep as something else (characters
// outside code page 932) or not at all (too long): the next start would not
// find the file, and every later apply would be refused.
QString unstorableSoundPath(const OptionValues& values) {
    if (!values.alarmSound)
        return {};
    const SoundPathParts parts = soundPathOnApply(true, values.soundPath);
    const QString stored = parts.directory + parts.fileName;
    if (!cp932::encodable(stored))
        return kSoundPathCharsMessage;
    if (cp932::encode(stored).size() > kSoundFileMaxBytes)
        return kSoundPathLengthMessage;
    return {};
}

bool inRange(const QString& text, int low, int high) {
    const std::optional<int> value = parseInt16(text);
    return value && *value >= low && *value <= high;
}
} // namespace

std::optional<OptionProblem>
validateOptions(const OptionValues& values, const std::function<bool(const QString&)>& fileExists) {
    // The path is looked up exactly as typed: spaces around it make it a
    // different file name.
    if (values.alarmSound &&
        (values.soundPath.trimmed().isEmpty() || !fileExists(values.soundPath)))
        return OptionProblem{OptionField::SoundPath, kSoundPathMessage};
    if (const auto message = unstorableSoundPath(values); !message.isEmpty())
        return OptionProblem{OptionField::SoundPath, message};
    // A minutes box is only looked at while its check box enables it; a
    // disabled box cannot be corrected, and its setting then keeps its value.
    if (values.preAlarm && !inRange(values.preAlarmMinutes, kMinutesMin, kMinutesMax))
        return OptionProblem{OptionField::PreAlarmMinutes, kMinutesMessage};
    if (values.alarmSkip && !inRange(values.alarmSkipMinutes, kMinutesMin, kMinutesMax))
        return OptionProblem{OptionField::AlarmSkipMinutes, kMinutesMessage};
    if (!inRange(values.interval, kIntervalMin, kIntervalMax))
        return OptionProblem{OptionField::Interval, kIntervalMessage};
    if (values.setPosition) {
        if (!parseInt16(values.positionX))
            return OptionProblem{OptionField::PositionX, kPositionMessage};
        if (!parseInt16(values.positionY))
            return OptionProblem{OptionField::PositionY, kPositionMessage};
    }
    return std::nullopt;
}

SoundPathParts soundPathOnApply(bool soundOn, const QString& text) {
    SoundPathParts parts;
    if (!soundOn)
        return parts;
    QString path = text.trimmed();
    const qsizetype nul = path.indexOf(QChar(u'\0'));
    if (nul >= 0)
        path.truncate(nul);
    splitSoundPath(path, parts.directory, parts.fileName);
    return parts;
}

AppliedOptions applyOptionValues(const OptionValues& values, const Settings& current) {
    AppliedOptions out;
    Settings& s = out.settings;
    s = current;

    s.fontName = values.fontName;
    s.fontBold = values.fontBold;
    s.fontItalic = values.fontItalic;
    s.fontSize = static_cast<int16_t>(roundHalfEven(values.fontPointSize));

    out.previousForeColor1 = current.foreColor1;
    out.previousForeColor2 = current.foreColor2;
    s.foreColor1 = values.foreColor1;
    s.foreColor2 = values.foreColor2;
    s.backColor = values.backColor;

    auto number = [](const QString& text, int16_t fallback) {
        return static_cast<int16_t>(parseInt16(text).value_or(fallback));
    };
    s.preAlarm = values.preAlarm;
    s.preAlarmMinute = number(values.preAlarmMinutes, current.preAlarmMinute);
    s.alarmSkip = values.alarmSkip;
    s.alarmSkipMinute = number(values.alarmSkipMinutes, current.alarmSkipMinute);
    s.alarmSound = values.alarmSound;

    const SoundPathParts sound = soundPathOnApply(values.alarmSound, values.soundPath);
    s.soundDirectory = sound.directory;
    s.soundFileName = sound.fileName;

    s.showTask = values.showTask;
    s.topMost = values.topMost;
    s.saveLastPosition = values.saveLastPosition;
    s.activeDisplay = values.activeDisplay;
    s.startAtLogin = values.startAtLogin;
    s.interval = number(values.interval, current.interval);

    if (values.windowSize >= 0 && values.windowSize <= 2)
        s.windowSize = static_cast<int16_t>(values.windowSize);

    if (values.setPosition) {
        s.lastPositionX = number(values.positionX, current.lastPositionX);
        s.lastPositionY = number(values.positionY, current.lastPositionY);
    }
    return out;
}

} // namespace tanzo::options
