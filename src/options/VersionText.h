#pragma once

#include <QString>

namespace tanzo::options {

// The text of the version window: title, version, copyright and company,
// one to a line.
QString versionText(const QString& title, const QString& version, const QString& copyright,
                    const QString& company);

// The same with the values the build supplies.
QString buildVersionText();

} // namespace tanzo::options
