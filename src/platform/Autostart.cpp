#include "Autostart.h"

#include "LauncherEntry.h"
#include "SafeFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tanzo {
namespace {

const QString kEntryName = QStringLiteral("tanzo.desktop");

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
        if (line.startsWith("Exec="))
            text += "Exec=" + execArgument(executable).toUtf8();
        else
            text += line;
        text += '\n';
    }
    while (text.endsWith("\n\n"))
        text.chop(1);
    return text;
}

bool Autostart::isEnabled() const {
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A desktop skips a hidden entry, which is how its own settings turn
    // one off without deleting it.
    while (!file.atEnd()) {
        if (file.readLine().trimmed() == "Hidden=true")
            return false;
    }
    return true;
}

bool Autostart::setEnabled(bool enabled) const {
    const QString path = entryPath();
    if (!enabled)
        return !QFileInfo::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(m_directory))
        return false;
    QSaveFile file(path);
    const QByteArray text = entryText(m_executable);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && commitWhole(file);
}

} // namespace tanzo
