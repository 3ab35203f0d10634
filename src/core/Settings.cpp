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
        s.FontName = font->isEmpty() ? defaults.FontName : *font;
    else
        s.FontName = defaults.FontName;
    s.FontBold = defaults.FontBold;
    readBool(st, k, QStringLiteral("FontBold"), s.FontBold);
    s.FontItalic = defaults.FontItalic;
    readBool(st, k, QStringLiteral("FontItalic"), s.FontItalic);
    s.FontSize = defaults.FontSize;
    readInt16(st, k, QStringLiteral("FontSize"), s.FontSize);
    s.BackColor = defaults.BackColor;
    readColor(st, k, QStringLiteral("BackColor"), s.BackColor);
    s.ForeColor1 = defaults.ForeColor1;
    readColor(st, k, QStringLiteral("ForeColor1"), s.ForeColor1);
    s.ForeColor2 = defaults.ForeColor2;
    readColor(st, k, QStringLiteral("ForeColor2"), s.ForeColor2);
    s.PreAlarm = defaults.PreAlarm;
    readBool(st, k, QStringLiteral("PreAlarm"), s.PreAlarm);
    s.PreAlarmMinute = defaults.PreAlarmMinute;
    readInt16(st, k, QStringLiteral("PreAlarmMinute"), s.PreAlarmMinute);
    s.AlarmSkip = defaults.AlarmSkip;
    readBool(st, k, QStringLiteral("AlarmSkip"), s.AlarmSkip);
    s.AlarmSkipMinute = defaults.AlarmSkipMinute;
    readInt16(st, k, QStringLiteral("AlarmSkipMinute"), s.AlarmSkipMinute);
    s.AlarmSound = defaults.AlarmSound;
    readBool(st, k, QStringLiteral("AlarmSound"), s.AlarmSound);
    const QString soundFile = readString(st, k, QStringLiteral("SoundFile"), kSoundFileMaxBytes)
                                  .value_or(defaults.soundPath());
    splitSoundPath(soundFile, s.SoundDirectory, s.SoundFileName);
    s.Interval = defaults.Interval;
    readInt16(st, k, QStringLiteral("Interval"), s.Interval);
    s.StartAtLogin = defaults.StartAtLogin;
    readBool(st, k, QStringLiteral("StartAtLogin"), s.StartAtLogin);
    s.WindowSize = defaults.WindowSize;
    readInt16(st, k, QStringLiteral("WindowSize"), s.WindowSize);
    s.ShowTask = defaults.ShowTask;
    readBool(st, k, QStringLiteral("ShowTask"), s.ShowTask);
    s.TopMost = defaults.TopMost;
    readBool(st, k, QStringLiteral("TopMost"), s.TopMost);
    s.SaveLastPosition = defaults.SaveLastPosition;
    readBool(st, k, QStringLiteral("SaveLastPosition"), s.SaveLastPosition);
    s.ActiveDisplay = defaults.ActiveDisplay;
    readBool(st, k, QStringLiteral("ActiveDisplay"), s.ActiveDisplay);
    s.LastPositionX = defaults.LastPositionX;
    readInt16(st, k, QStringLiteral("LastPositionX"), s.LastPositionX);
    s.LastPositionY = defaults.LastPositionY;
    readInt16(st, k, QStringLiteral("LastPositionY"), s.LastPositionY);

    // Values the rest of the program cannot work with are brought into range
    // here, once, instead of being guarded everywhere they are used.
    s.Interval = clampShort(s.Interval, 1, 100);
    s.PreAlarmMinute = clampShort(s.PreAlarmMinute, 1, 60);
    s.AlarmSkipMinute = clampShort(s.AlarmSkipMinute, 1, 60);
    if (s.FontSize < 1)
        s.FontSize = defaults.FontSize;
    s.FontSize = std::min<int16_t>(s.FontSize, 72);
    if (s.WindowSize < Big || s.WindowSize > Small)
        s.WindowSize = Small;
    s.WindowSize = fitWindowSizeToScreen(s.WindowSize, screenTwips);
}

bool SettingsRepository::writeWindowValues(const Settings& s, bool trayMode) {
    const QString& k = m_keyPath;
    if (!m_store.setValue(k, QStringLiteral("WindowSize"), int16Value(s.WindowSize)) ||
        !m_store.setValue(k, QStringLiteral("ShowTask"), boolValue(s.ShowTask)) ||
        !m_store.setValue(k, QStringLiteral("TopMost"), boolValue(s.TopMost)) ||
        !m_store.setValue(k, QStringLiteral("SaveLastPosition"), boolValue(s.SaveLastPosition)))
        return false;
    if (s.SaveLastPosition && !trayMode) {
        if (!m_store.setValue(k, QStringLiteral("LastPositionX"), int16Value(s.LastPositionX)) ||
            !m_store.setValue(k, QStringLiteral("LastPositionY"), int16Value(s.LastPositionY)))
            return false;
    }
    return m_store.setValue(k, QStringLiteral("ActiveDisplay"), boolValue(s.ActiveDisplay));
}

bool SettingsRepository::writeOptionValues(const Settings& s) {
    const QString& k = m_keyPath;
    return m_store.setValue(k, QStringLiteral("FontName"), stringValue(s.FontName)) &&
           m_store.setValue(k, QStringLiteral("FontBold"), boolValue(s.FontBold)) &&
           m_store.setValue(k, QStringLiteral("FontItalic"), boolValue(s.FontItalic)) &&
           m_store.setValue(k, QStringLiteral("FontSize"), int16Value(s.FontSize)) &&
           m_store.setValue(k, QStringLiteral("BackColor"), colorValue(s.BackColor)) &&
           m_store.setValue(k, QStringLiteral("ForeColor1"), colorValue(s.ForeColor1)) &&
           m_store.setValue(k, QStringLiteral("ForeColor2"), colorValue(s.ForeColor2)) &&
           m_store.setValue(k, QStringLiteral("PreAlarm"), boolValue(s.PreAlarm)) &&
           m_store.setValue(k, QStringLiteral("PreAlarmMinute"), int16Value(s.PreAlarmMinute)) &&
           m_store.setValue(k, QStringLiteral("AlarmSkip"), boolValue(s.AlarmSkip)) &&
           m_store.setValue(k, QStringLiteral("AlarmSkipMinute"), int16Value(s.AlarmSkipMinute)) &&
           m_store.setValue(k, QStringLiteral("AlarmSound"), boolValue(s.AlarmSound)) &&
           m_store.setValue(k, QStringLiteral("SoundFile"), stringValue(s.soundPath())) &&
           m_store.setValue(k, QStringLiteral("Interval"), int16Value(s.Interval)) &&
           m_store.setValue(k, QStringLiteral("StartAtLogin"), boolValue(s.StartAtLogin));
}

bool SettingsRepository::writeWindowSettings(const Settings& settings, bool trayMode) {
    return writeWindowValues(settings, trayMode) && m_store.save();
}

bool SettingsRepository::writeAllSettings(const Settings& settings, bool trayMode) {
    return openKey() && writeWindowValues(settings, trayMode) && writeOptionValues(settings) &&
           m_store.save();
}

} // namespace tanzo
