#pragma once

#include "DataFile.h"

#include <QString>

namespace tanzo {

// The message about a read of the data file that left entries out: how many
// lines could not be read and the first one's number, the entries beyond the
// size limit, and where the original content is kept. Empty when the read
// took the whole file.
QString loadNoticeText(const DataFile::LoadReport& report, const QString& dataPath,
                       const QString& backupPath);

} // namespace tanzo
