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
    QStringLiteral("通知の時間は %1 から %2 までの数値で指定してください。")
        .arg(kNoticeMinutesBounds.min)
        .arg(kNoticeMinutesBounds.max);
const QString kIntervalMessage =
    QStringLiteral("表示速度は %1 から %2 までの数値で指定してください。")
        .arg(kIntervalBounds.min)
        .arg(kIntervalBounds.max);
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
    if (!values.chosen.alarmSound)
        return {};
    const SoundPathParts parts = soundPathOnApply(true, values.soundPathText);
    const QString stored = parts.directory + parts.fileName;
    if (!cp932::encodable(stored))
        return kSoundPathCharsMessage;
    if (cp932::encode(stored).size() > kSoundFileMaxBytes)
        return kSoundPathLengthMessage;
    return {};
}

bool inRange(const QString& text, Bounds bounds) {
    const std::optional<int> value = parseInt16(text);
    return value && bounds.contains(*value);
}
} // namespace

std::optional<OptionProblem>
validateOptions(const OptionValues& values, const std::function<bool(const QString&)>& fileExists) {
    // The path is looked up exactly as typed: spaces around it make it a
    // different file name.
    const Settings& chosen = values.chosen;
    if (chosen.alarmSound &&
        (values.soundPathText.trimmed().isEmpty() || !fileExists(values.soundPathText)))
        return OptionProblem{OptionField::SoundPath, kSoundPathMessage};
    if (const auto message = unstorableSoundPath(values); !message.isEmpty())
        return OptionProblem{OptionField::SoundPath, message};
    // A minutes box is only looked at while its check box enables it; a
    // disabled box cannot be corrected, and its setting then keeps its value.
    if (chosen.preAlarm && !inRange(values.preAlarmMinuteText, kNoticeMinutesBounds))
        return OptionProblem{OptionField::PreAlarmMinutes, kMinutesMessage};
    if (chosen.alarmSkip && !inRange(values.alarmSkipMinuteText, kNoticeMinutesBounds))
        return OptionProblem{OptionField::AlarmSkipMinutes, kMinutesMessage};
    if (!inRange(values.intervalText, kIntervalBounds))
        return OptionProblem{OptionField::Interval, kIntervalMessage};
    if (values.setPosition) {
        if (!parseInt16(values.positionXText))
            return OptionProblem{OptionField::PositionX, kPositionMessage};
        if (!parseInt16(values.positionYText))
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

Settings applyOptionValues(const OptionValues& values) {
    Settings s = values.chosen;
    s.fontSize = static_cast<int16_t>(roundHalfEven(values.fontPointSize));

    auto number = [](const QString& text, int16_t& setting) {
        if (const std::optional<int> n = parseInt16(text))
            setting = static_cast<int16_t>(*n);
    };
    number(values.preAlarmMinuteText, s.preAlarmMinute);
    number(values.alarmSkipMinuteText, s.alarmSkipMinute);
    number(values.intervalText, s.interval);
    if (values.setPosition) {
        number(values.positionXText, s.lastPositionX);
        number(values.positionYText, s.lastPositionY);
    }

    const SoundPathParts sound = soundPathOnApply(s.alarmSound, values.soundPathText);
    s.soundDirectory = sound.directory;
    s.soundFileName = sound.fileName;
    return s;
}

} // namespace tanzo::options
