#include "VersionText.h"

#include "core/AppContext.h"

#ifndef TANZO_VERSION
#error "TANZO_VERSION must come from the build"
#endif

namespace tanzo::options {

QString versionText(const QString& title, const QString& version, const QString& copyright,
                    const QString& company) {
    QStringList lines{title, QStringLiteral("Version ") + version};
    if (!copyright.isEmpty())
        lines << copyright;
    if (!company.isEmpty())
        lines << company;
    return lines.join(u'\n');
}

QString buildVersionText() {
    return versionText(kAppTitle, QStringLiteral(TANZO_VERSION), QStringLiteral(TANZO_COPYRIGHT),
                       QStringLiteral(TANZO_COMPANY));
}

} // namespace tanzo::options
