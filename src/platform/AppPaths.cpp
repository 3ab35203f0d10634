#include "AppPaths.h"

#include "SafeFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tanzo::paths {
namespace {

const QString kVendorApp = QStringLiteral("/Merovane/Tanzo/");

QString executableDirectory() {
    return QCoreApplication::applicationDirPath();
}

QString withSlash(const QString& dir) {
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

} // namespace

QString resourceDirectory() {
    const QString exeDir = executableDirectory();
    if (QFileInfo(exeDir + QStringLiteral("/media")).isDir())
        return exeDir;
    return QDir::cleanPath(exeDir + QStringLiteral("/../") + QStringLiteral(TANZO_SHARE_SUBDIR));
}

QString mediaDirectory() {
    return resourceDirectory() + QStringLiteral("/media/");
}

QString helpDirectory() {
    return resourceDirectory() + QStringLiteral("/help");
}

QString dataDirectory(const QString& dataFileName) {
    const QString exeDir = executableDirectory();
    if (!exeDir.isEmpty() && QFileInfo(exeDir + QLatin1Char('/') + dataFileName).isFile())
        return withSlash(exeDir);
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + kVendorApp;
    makePrivateDirectory(dir);
    return dir;
}

QString settingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + kVendorApp +
           QStringLiteral("settings.reg");
}

QString subscriptionsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + kVendorApp +
           QStringLiteral("subscriptions.json");
}

QString subscriptionCacheDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + kVendorApp +
           QStringLiteral("subscriptions");
}

QString ownCalendarStatePath(const QString& dataFilePath) {
    return QFileInfo(dataFilePath).absolutePath() + QStringLiteral("/TANZO-OWN-CALENDAR.json");
}

} // namespace tanzo::paths
