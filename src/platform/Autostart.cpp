#include "Autostart.h"

#include "LauncherEntry.h"
#include "SafeFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>

#include <optional>

namespace tanzo {
namespace {

const QString kEntryName = QStringLiteral("tanzo.desktop");
const QByteArray kMainGroup = QByteArrayLiteral("[Desktop Entry]");
// The keys by which a desktop's own settings switch an entry off.
const QByteArray kHiddenKey = QByteArrayLiteral("Hidden");
const QByteArray kGnomeEnabledKey = QByteArrayLiteral("X-GNOME-Autostart-enabled");
// Far beyond any launcher; a larger file is not read.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

// An Exec argument per the desktop entry rules: quoted when it holds a
// reserved character, with the quoting escapes; then the string-value
// escape of backslashes and the doubling of field-code percent signs.
QString execArgument(const QString& path) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (const QChar c : path)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString arg = path;
    if (needsQuotes) {
        QString quoted;
        for (const QChar c : path) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        arg = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    arg.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return arg;
}

// A plain string value: backslash first, then the characters a value cannot
// hold as they are.
QByteArray stringValue(const QString& text) {
    QByteArray value = text.toUtf8();
    value.replace("\\", "\\\\");
    value.replace("\n", "\\n");
    value.replace("\t", "\\t");
    value.replace("\r", "\\r");
    if (value.startsWith(' '))
        value.replace(0, 1, "\\s");
    return value;
}

// The key of a "key = value" line, as GLib takes it: spaces around the
// equals sign do not count.
QByteArray lineKey(const QByteArray& line) {
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.left(equals).trimmed();
}

// The key file's lines, or nothing when it is missing, too large or no
// desktop entry (GLib would not load it, so no desktop starts it).
std::optional<QList<QByteArray>> readEntryLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxEntryBytes)
        return std::nullopt;
    QList<QByteArray> lines = file.read(kMaxEntryBytes).split('\n');
    for (const QByteArray& line : lines) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        if (trimmed == kMainGroup)
            return lines;
        return std::nullopt; // the first group must be the desktop entry
    }
    return std::nullopt;
}

// The [Desktop Entry] group's values; a later line for a key wins, as in GLib.
QHash<QByteArray, QByteArray> mainGroupValues(const QList<QByteArray>& lines) {
    QHash<QByteArray, QByteArray> values;
    bool inMain = false;
    for (const QByteArray& line : lines) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[')) {
            inMain = trimmed == kMainGroup;
            continue;
        }
        const QByteArray key = lineKey(trimmed);
        if (inMain && !key.isEmpty() && !trimmed.startsWith('#'))
            values.insert(key, trimmed.mid(trimmed.indexOf('=') + 1).trimmed());
    }
    return values;
}

// GLib's booleans: true and 1, false and 0; anything else is no boolean,
// which its readers take as false.
bool isTrue(const QByteArray& value) {
    return value == "true" || value == "1";
}

// The user's entry switched back on: every line kept but those turning it off.
QByteArray switchedOn(const QList<QByteArray>& lines) {
    QByteArray text;
    bool inMain = false;
    for (const QByteArray& line : lines) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('['))
            inMain = trimmed == kMainGroup;
        const QByteArray key = lineKey(trimmed);
        if (inMain && !trimmed.startsWith('#') && (key == kHiddenKey || key == kGnomeEnabledKey))
            continue;
        text += line + '\n';
    }
    text.chop(1); // the split gave one line more than the file had ends
    return text;
}

QString failureText(const QString& path, const QString& reason) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

Autostart::Autostart(QString directory, QString executable)
    : m_directory(std::move(directory)), m_executable(std::move(executable)) {
    if (m_executable.isEmpty())
        m_executable = QCoreApplication::applicationFilePath();
}

QString Autostart::defaultDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString Autostart::entryPath() const {
    return m_directory + QLatin1Char('/') + kEntryName;
}

QByteArray Autostart::entryText(const QString& executable) {
    QByteArray text;
    for (const QByteArray& line : QByteArray(kLauncherEntry).split('\n')) {
        if (line.startsWith("TryExec="))
            continue;
        if (line.startsWith("Exec=")) {
            text += "Exec=" + execArgument(executable).toUtf8() + '\n';
            // Once the program is uninstalled, the desktop skips the entry
            // instead of failing to start it at every login.
            text += "TryExec=" + stringValue(executable) + '\n';
            continue;
        }
        text += line + '\n';
    }
    while (text.endsWith("\n\n"))
        text.chop(1);
    return text;
}

bool Autostart::isEnabled() const {
    const auto lines = readEntryLines(entryPath());
    if (!lines)
        return false;
    const QHash<QByteArray, QByteArray> values = mainGroupValues(*lines);
    if (isTrue(values.value(kHiddenKey)))
        return false;
    return !values.contains(kGnomeEnabledKey) || isTrue(values.value(kGnomeEnabledKey));
}

bool Autostart::setEnabled(bool enabled, QString* failure) const {
    const QString path = entryPath();
    auto fail = [&](const QString& where, const QString& reason) {
        if (failure)
            *failure = failureText(where, reason);
        return false;
    };
    if (!enabled) {
        QFile file(path);
        if (file.exists() && !file.remove())
            return fail(path, file.errorString());
        return true;
    }
    if (!QDir().mkpath(m_directory))
        return fail(m_directory, QStringLiteral("フォルダーを作成できません。"));
    const auto lines = readEntryLines(path);
    const QByteArray text = lines ? switchedOn(*lines) : entryText(m_executable);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(path, file.errorString());
    if (file.write(text) != text.size() || !commitWhole(file))
        return fail(path, file.errorString());
    return true;
}

} // namespace tanzo
