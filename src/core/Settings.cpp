#include "Settings.h"

#include "platform/Cp932.h"
#include "platform/RegistryStore.h"

#include <QtEndian>

#include <algorithm>

namespace tanzo {
namespace {

// Buffer sizes of the two strings, without their NUL.
constexpr int kFontNameBytes = 32;

using Value = RegistryStore::Value;

// A number is readable only when the stored bytes fill the variable
// exactly; anything else leaves the default in place.
template <typename T>
std::optional<T> readNumber(const RegistryStore& store, const QString& key, const QString& name) {
    const auto v = store.value(key, name);
    if (!v || v->data.size() != static_cast<qsizetype>(sizeof(T)))
        return std::nullopt;
    return qFromLittleEndian<T>(v->data.constData());
}

void readInt16(const RegistryStore& s, const QString& key, const QString& name, int16_t& out) {
    if (const auto v = readNumber<int16_t>(s, key, name))
        out = *v;
}

void readBool(const RegistryStore& s, const QString& key, const QString& name, bool& out) {
    if (const auto v = readNumber<int16_t>(s, key, name))
        out = *v != 0;
}

void readColor(const RegistryStore& s, const QString& key, const QString& name, BgrColor& out) {
    if (const auto v = readNumber<uint32_t>(s, key, name))
        out = *v;
}

std::optional<QString> readString(const RegistryStore& s, const QString& key, const QString& name,
                                  int maxBytes) {
    const auto v = s.value(key, name);
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

Value int16Value(int16_t n) {
    return binaryValue<int16_t>(n);
}
Value boolValue(bool b) {
    return binaryValue<int16_t>(b ? -1 : 0);
}
Value colorValue(BgrColor c) {
    return binaryValue<uint32_t>(c);
}
Value stringValue(const QString& text) {
    return Value{RegistryStore::Type::String, cp932::encode(text)};
}

int16_t clampShort(int16_t value, int16_t low, int16_t high) {
    return std::clamp(value, low, high);
}

} // namespace

void splitSoundPath(const QString& path, QString& directory, QString& fileName) {
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    directory = path.left(cut + 1);
    fileName = path.mid(cut + 1);
}

int16_t fitWindowSizeToScreen(int16_t size, const QSizeF& screenTwips) {
    const double w = screenTwips.width();
    const double h = screenTwips.height();
    if (size == Big && (w < 9480 || h < 1680))
        size = Middle;
    if (size == Middle && (w < 7595 || h < 1590))
        size = Small;
    return size;
}

QString SettingsRepository::defaultKeyPath() {
    return QStringLiteral("Software\\Merovane\\Tanzo") + QStringLiteral("\\Settings");
}

SettingsRepository::SettingsRepository(RegistryStore& store, QString keyPath)
    : m_store(store), m_keyPath(std::move(keyPath)) {}

bool SettingsRepository::openKey() {
    return m_store.load() && m_store.createKey(m_keyPath);
}

bool SettingsRepository::migrateLegacy() {
    const QString fontKey = m_keyPath + QStringLiteral("\\FontName");
    if (!m_store.defaultValue(fontKey))
        return true;
    for (const QString& name : {QStringLiteral("FontName"), QStringLiteral("SoundFile")}) {
        const QString subkey = m_keyPath + QLatin1Char('\\') + name;
        const auto text = m_store.defaultValue(subkey);
        if (!text)
            continue;
        if (!m_store.setValue(m_keyPath, name, stringValue(*text)) || !m_store.deleteKey(subkey))
            return false;
    }
    // The converted layout must outlive this run even if the program never
    // writes its settings again.
    return m_store.save();
}

void SettingsRepository::read(Settings& s, const QSizeF& screenTwips) const {
    const Settings defaults;
    const RegistryStore& st = m_store;
    const QString& k = m_keyPath;

    if (const auto font = readString(st, k, QStringLiteral("FontName"), kFontNameBytes))
        s.fontName = font->isEmpty() ? defaults.fontName : *font;
    else
        s.fontName = defaults.fontName;
    s.fontBold = defaults.fontBold;
    readBool(st, k, QStringLiteral("FontBold"), s.fontBold);
    s.fontItalic = defaults.fontItalic;
    readBool(st, k, QStringLiteral("FontItalic"), s.fontItalic);
    s.fontSize = defaults.fontSize;
    readInt16(st, k, QStringLiteral("FontSize"), s.fontSize);
    s.backColor = defaults.backColor;
    readColor(st, k, QStringLiteral("BackColor"), s.backColor);
    s.foreColor1 = defaults.foreColor1;
    readColor(st, k, QStringLiteral("ForeColor1"), s.foreColor1);
    s.foreColor2 = defaults.foreColor2;
    readColor(st, k, QStringLiteral("ForeColor2"), s.foreColor2);
    s.preAlarm = defaults.preAlarm;
    readBool(st, k, QStringLiteral("PreAlarm"), s.preAlarm);
    s.preAlarmMinute = defaults.preAlarmMinute;
    readInt16(st, k, QStringLiteral("PreAlarmMinute"), s.preAlarmMinute);
    s.alarmSkip = defaults.alarmSkip;
    readBool(st, k, QStringLiteral("AlarmSkip"), s.alarmSkip);
    s.alarmSkipMinute = defaults.alarmSkipMinute;
    readInt16(st, k, QStringLiteral("AlarmSkipMinute"), s.alarmSkipMinute);
    s.alarmSound = defaults.alarmSound;
    readBool(st, k, QStringLiteral("AlarmSound"), s.alarmSound);
    const QString soundFile = readString(st, k, QStringLiteral("SoundFile"), kSoundFileMaxBytes)
                                  .value_or(defaults.soundPath());
    splitSoundPath(soundFile, s.soundDirectory, s.soundFileName);
    s.interval = defaults.interval;
    readInt16(st, k, QStringLiteral("Interval"), s.interval);
    s.startAtLogin = defaults.startAtLogin;
    readBool(st, k, QStringLiteral("StartAtLogin"), s.startAtLogin);
    s.windowSize = defaults.windowSize;
    readInt16(st, k, QStringLiteral("WindowSize"), s.windowSize);
    s.showTask = defaults.showTask;
    readBool(st, k, QStringLiteral("ShowTask"), s.showTask);
    s.topMost = defaults.topMost;
    readBool(st, k, QStringLiteral("TopMost"), s.topMost);
    s.saveLastPosition = defaults.saveLastPosition;
    readBool(st, k, QStringLiteral("SaveLastPosition"), s.saveLastPosition);
    s.activeDisplay = defaults.activeDisplay;
    readBool(st, k, QStringLiteral("ActiveDisplay"), s.activeDisplay);
    s.lastPositionX = defaults.lastPositionX;
    readInt16(st, k, QStringLiteral("LastPositionX"), s.lastPositionX);
    s.lastPositionY = defaults.lastPositionY;
    readInt16(st, k, QStringLiteral("LastPositionY"), s.lastPositionY);

    // Values the rest of the program cannot work with are brought into range
    // here, once, instead of being guarded everywhere they are used.
    s.interval = clampShort(s.interval, 1, 100);
    s.preAlarmMinute = clampShort(s.preAlarmMinute, 1, 60);
    s.alarmSkipMinute = clampShort(s.alarmSkipMinute, 1, 60);
    if (s.fontSize < 1)
        s.fontSize = defaults.fontSize;
    s.fontSize = std::min<int16_t>(s.fontSize, 72);
    if (s.windowSize < Big || s.windowSize > Small)
        s.windowSize = Small;
    s.windowSize = fitWindowSizeToScreen(s.windowSize, screenTwips);
}

bool SettingsRepository::writeWindowValues(const Settings& s, bool trayMode) {
    const QString& k = m_keyPath;
    if (!m_store.setValue(k, QStringLiteral("WindowSize"), int16Value(s.windowSize)) ||
        !m_store.setValue(k, QStringLiteral("ShowTask"), boolValue(s.showTask)) ||
        !m_store.setValue(k, QStringLiteral("TopMost"), boolValue(s.topMost)) ||
        !m_store.setValue(k, QStringLiteral("SaveLastPosition"), boolValue(s.saveLastPosition)))
        return false;
    if (s.saveLastPosition && !trayMode) {
        if (!m_store.setValue(k, QStringLiteral("LastPositionX"), int16Value(s.lastPositionX)) ||
            !m_store.setValue(k, QStringLiteral("LastPositionY"), int16Value(s.lastPositionY)))
            return false;
    }
    return m_store.setValue(k, QStringLiteral("ActiveDisplay"), boolValue(s.activeDisplay));
}

bool SettingsRepository::writeOptionValues(const Settings& s) {
    const QString& k = m_keyPath;
    return m_store.setValue(k, QStringLiteral("FontName"), stringValue(s.fontName)) &&
           m_store.setValue(k, QStringLiteral("FontBold"), boolValue(s.fontBold)) &&
           m_store.setValue(k, QStringLiteral("FontItalic"), boolValue(s.fontItalic)) &&
           m_store.setValue(k, QStringLiteral("FontSize"), int16Value(s.fontSize)) &&
           m_store.setValue(k, QStringLiteral("BackColor"), colorValue(s.backColor)) &&
           m_store.setValue(k, QStringLiteral("ForeColor1"), colorValue(s.foreColor1)) &&
           m_store.setValue(k, QStringLiteral("ForeColor2"), colorValue(s.foreColor2)) &&
           m_store.setValue(k, QStringLiteral("PreAlarm"), boolValue(s.preAlarm)) &&
           m_store.setValue(k, QStringLiteral("PreAlarmMinute"), int16Value(s.preAlarmMinute)) &&
           m_store.setValue(k, QStringLiteral("AlarmSkip"), boolValue(s.alarmSkip)) &&
           m_store.setValue(k, QStringLiteral("AlarmSkipMinute"), int16Value(s.alarmSkipMinute)) &&
           m_store.setValue(k, QStringLiteral("AlarmSound"), boolValue(s.alarmSound)) &&
           m_store.setValue(k, QStringLiteral("SoundFile"), stringValue(s.soundPath())) &&
           m_store.setValue(k, QStringLiteral("Interval"), int16Value(s.interval)) &&
           m_store.setValue(k, QStringLiteral("StartAtLogin"), boolValue(s.startAtLogin));
}

bool SettingsRepository::writeWindowSettings(const Settings& settings, bool trayMode) {
    return writeWindowValues(settings, trayMode) && m_store.save();
}

bool SettingsRepository::writeAllSettings(const Settings& settings, bool trayMode) {
    return openKey() && writeWindowValues(settings, trayMode) && writeOptionValues(settings) &&
           m_store.save();
}

} // namespace tanzo
