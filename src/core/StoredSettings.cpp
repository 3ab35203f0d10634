#include "StoredSettings.h"

#include "platform/Cp932.h"
#include "platform/RegistryStore.h"

#include <QtEndian>

namespace tanzo {
namespace {

using Value = RegistryStore::Value;
using enum SettingsGroup;

// The font name's buffer, without its NUL.
constexpr int kFontNameBytes = 32;

StoredSetting bounded(const char* name, SettingsGroup group, int16_t Settings::*member,
                      Bounds bounds, BelowMin belowMin = BelowMin::Clamp) {
    return {name, group, member, bounds, belowMin};
}

StoredSetting text(const char* name, SettingField field, int maxBytes) {
    return {name, Option, field, std::nullopt, BelowMin::Clamp, maxBytes};
}

StoredSetting position(const char* name, int16_t Settings::*member) {
    return {name, Window, member, std::nullopt, BelowMin::Clamp, 0, true};
}

// The window group first: the exit writes only that one.
const StoredSetting kTable[] = {
    bounded("WindowSize", Window, &Settings::windowSize, kWindowSizeBounds, BelowMin::Default),
    {"ShowTask", Window, &Settings::showTask},
    {"TopMost", Window, &Settings::topMost},
    {"SaveLastPosition", Window, &Settings::saveLastPosition},
    position("LastPositionX", &Settings::lastPositionX),
    position("LastPositionY", &Settings::lastPositionY),
    {"ActiveDisplay", Window, &Settings::activeDisplay},

    text("FontName", &Settings::fontName, kFontNameBytes),
    {"FontBold", Option, &Settings::fontBold},
    {"FontItalic", Option, &Settings::fontItalic},
    // A size of nothing is no choice at all; too big a one was meant big.
    bounded("FontSize", Option, &Settings::fontSize, kFontSizeBounds, BelowMin::Default),
    {"BackColor", Option, &Settings::backColor},
    {"ForeColor1", Option, &Settings::foreColor1},
    {"ForeColor2", Option, &Settings::foreColor2},
    {"PreAlarm", Option, &Settings::preAlarm},
    bounded("PreAlarmMinute", Option, &Settings::preAlarmMinute, kNoticeMinutesBounds),
    {"AlarmSkip", Option, &Settings::alarmSkip},
    bounded("AlarmSkipMinute", Option, &Settings::alarmSkipMinute, kNoticeMinutesBounds),
    {"AlarmSound", Option, &Settings::alarmSound},
    text("SoundFile", SoundPathField{}, kSoundFileMaxBytes),
    bounded("Interval", Option, &Settings::interval, kIntervalBounds),
    {"StartAtLogin", Option, &Settings::startAtLogin},
};

template <typename... F> struct Overloaded : F... { using F::operator()...; };
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

// A number is readable only when the stored bytes fill it exactly.
template <typename T> std::optional<T> readNumber(const std::optional<Value>& v) {
    if (!v || v->data.size() != static_cast<qsizetype>(sizeof(T)))
        return std::nullopt;
    return qFromLittleEndian<T>(v->data.constData());
}

std::optional<QString> readString(const std::optional<Value>& v, int maxBytes) {
    if (!v || v->data.size() > maxBytes)
        return std::nullopt;
    QByteArray bytes = v->data;
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return cp932::decode(bytes);
}

template <typename T> Value binaryValue(T number) {
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian<T>(number, bytes.data());
    return Value{RegistryStore::Type::Binary, bytes};
}

Value stringValue(const QString& text) {
    return Value{RegistryStore::Type::String, cp932::encode(text)};
}

int16_t corrected(const StoredSetting& entry, int16_t value, int16_t fallback) {
    if (!entry.bounds)
        return value;
    if (value < entry.bounds->min && entry.belowMin == BelowMin::Default)
        return fallback;
    return entry.bounds->clamp(value);
}

void readEntry(const StoredSetting& entry, const std::optional<Value>& stored,
               const Settings& defaults, Settings& s) {
    std::visit(Overloaded{
                   [&](int16_t Settings::*m) {
                       s.*m = corrected(entry, readNumber<int16_t>(stored).value_or(defaults.*m),
                                        defaults.*m);
                   },
                   [&](bool Settings::*m) {
                       const auto n = readNumber<int16_t>(stored);
                       s.*m = n ? *n != 0 : defaults.*m;
                   },
                   [&](BgrColor Settings::*m) {
                       s.*m = readNumber<uint32_t>(stored).value_or(defaults.*m);
                   },
                   [&](QString Settings::*m) {
                       const auto text = readString(stored, entry.maxBytes);
                       s.*m = text && !text->isEmpty() ? *text : defaults.*m;
                   },
                   [&](SoundPathField) {
                       // An empty path is kept: it means the sound was off.
                       splitSoundPath(
                           readString(stored, entry.maxBytes).value_or(defaults.soundPath()),
                           s.soundDirectory, s.soundFileName);
                   },
               },
               entry.field);
}

Value storedValue(const StoredSetting& entry, const Settings& s) {
    return std::visit(Overloaded{
                          [&](int16_t Settings::*m) { return binaryValue<int16_t>(s.*m); },
                          [&](bool Settings::*m) { return binaryValue<int16_t>(s.*m ? -1 : 0); },
                          [&](BgrColor Settings::*m) { return binaryValue<uint32_t>(s.*m); },
                          [&](QString Settings::*m) { return stringValue(s.*m); },
                          [&](SoundPathField) { return stringValue(s.soundPath()); },
                      },
                      entry.field);
}

} // namespace

std::span<const StoredSetting> storedSettings() {
    return kTable;
}

Settings readStoredSettings(const RegistryStore& store, const QString& key) {
    const Settings defaults;
    Settings s;
    for (const StoredSetting& entry : kTable)
        readEntry(entry, store.value(key, QString::fromLatin1(entry.name)), defaults, s);
    return s;
}

bool writeStoredSettings(RegistryStore& store, const QString& key, SettingsGroup group,
                         const Settings& s, bool withPosition) {
    for (const StoredSetting& entry : kTable) {
        if (entry.group != group || (entry.positionOnly && !withPosition))
            continue;
        if (!store.setValue(key, QString::fromLatin1(entry.name), storedValue(entry, s)))
            return false;
    }
    return true;
}

} // namespace tanzo
