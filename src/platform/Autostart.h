#pragma once

#include <QByteArray>
#include <QString>

namespace tanzo {

// The freedesktop autostart entry that starts the board with the session:
// tanzo.desktop in $XDG_CONFIG_HOME/autostart, the installed launcher with
// its Exec pointing at the running executable.
class Autostart {
public:
    // Both default to the user's autostart folder and the running program.
    explicit Autostart(QString directory = defaultDirectory(), QString executable = {});

    static QString defaultDirectory();

    QString entryPath() const;
    // An entry exists and a desktop would start it (not hidden).
    bool isEnabled() const;
    // Writes or removes the entry; false when that failed.
    bool setEnabled(bool enabled) const;

    // The launcher text with Exec running `executable`.
    static QByteArray entryText(const QString& executable);

private:
    QString m_directory;
    QString m_executable;
};

} // namespace tanzo
