#pragma once

#include <QByteArray>
#include <QString>

namespace tanzo {

// The freedesktop autostart entry that starts the board with the session:
// tanzo.desktop in $XDG_CONFIG_HOME/autostart, the installed launcher with
// its Exec and TryExec naming the running executable.
class Autostart {
public:
    // Both default to the user's autostart folder and the running program.
    explicit Autostart(QString directory = defaultDirectory(), QString executable = {});

    static QString defaultDirectory();

    QString entryPath() const;
    // A desktop would start the entry: it exists, is a readable key file,
    // and neither Hidden nor X-GNOME-Autostart-enabled turns it off; read
    // as GLib reads key files, the desktops' common reader.
    bool isEnabled() const;
    // Writes or removes the entry. An entry already there keeps the user's
    // lines and only loses the keys that turned it off. On failure, false,
    // with the file and the reason in *failure.
    bool setEnabled(bool enabled, QString* failure = nullptr) const;

    // The launcher text with Exec and TryExec naming `executable`.
    static QByteArray entryText(const QString& executable);

private:
    QString m_directory;
    QString m_executable;
};

} // namespace tanzo
