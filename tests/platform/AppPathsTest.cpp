#include "platform/AppPaths.h"

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

} // namespace
} // namespace tanzo
