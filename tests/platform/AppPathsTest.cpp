#include "platform/AppPaths.h"
#include "platform/Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tanzo {
namespace {

TEST(AppPaths, PerUserFilesLiveUnderTheVendorDirectories) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    int argc = 1;
    char name[] = "paths_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    const QString data = paths::dataDirectory(QStringLiteral("NO_SUCH_FILE.DAT"));
    EXPECT_EQ(data, home.filePath("data") + "/Merovane/Tanzo/");
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_EQ(paths::settingsFilePath(), home.filePath("config") + "/Merovane/Tanzo/settings.reg");

    // Beside the executable when its media are there, else the installed share.
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString resources = paths::resourceDirectory();
    if (QFileInfo(exeDir + "/media").isDir())
        EXPECT_EQ(resources, exeDir);
    else
        EXPECT_EQ(resources, QDir::cleanPath(exeDir + "/../share/tanzo"));
    EXPECT_EQ(paths::mediaDirectory(), resources + "/media/");
    EXPECT_EQ(paths::helpDirectory(), resources + "/help");
}

// A program unpacked into a folder with spaces, quotes or a dollar sign in its
// name still starts at login: Exec quotes and escapes it as desktops parse it.
TEST(AppPaths, AutostartEntryRunsTheGivenProgramWhateverItsPath) {
    const QByteArray plain = Autostart::entryText(QStringLiteral("/usr/bin/tanzo"));
    EXPECT_TRUE(plain.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(plain.contains("\nExec=/usr/bin/tanzo\nTryExec=/usr/bin/tanzo\n"));
    EXPECT_TRUE(plain.contains("\nIcon=tanzo\n"));
    const QByteArray odd = Autostart::entryText(QStringLiteral("/opt/my \"apps\"/$v\\100%/tanzo"));
    EXPECT_TRUE(odd.contains("\nExec=\"/opt/my \\\\\"apps\\\\\"/\\\\$v\\\\\\\\100%%/tanzo\"\n"))
        << odd.toStdString();
    // TryExec is a plain string: only the backslash is escaped.
    EXPECT_TRUE(odd.contains("\nTryExec=/opt/my \"apps\"/$v\\\\100%/tanzo\n")) << odd.toStdString();
}

} // namespace
} // namespace tanzo
