#include "PluginModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace tanzo {

QFunctionPointer resolveModuleSymbol(const char* fileName, const char* symbol) {
    // The command line loads its module before it makes its application.
    const QString exeDir = QCoreApplication::instance()
                               ? QCoreApplication::applicationDirPath()
                               : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString name = QString::fromLatin1(fileName);
    const QStringList candidates = {exeDir + QLatin1Char('/') + name,
                                    exeDir + QStringLiteral("/../") +
                                        QStringLiteral(TANZO_MODULE_SUBDIR) + QLatin1Char('/') +
                                        name};
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: what the module makes lives until the process ends.
        QLibrary module(path);
        if (const QFunctionPointer found = module.resolve(symbol))
            return found;
        qWarning("tanzo: cannot load the module %s: %s", qPrintable(path),
                 qPrintable(module.errorString()));
    }
    qWarning("tanzo: the module %s was not found beside the program or in %s", fileName,
             TANZO_MODULE_SUBDIR);
    return nullptr;
}

} // namespace tanzo
