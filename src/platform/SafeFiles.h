#pragma once

#include <QString>

class QSaveFile;

namespace tanzo {

// A name for a new copy beside a file that never replaces an older copy:
// `base` itself, then base.1, base.2, ...
QString freeCopyName(const QString& base);

// QSaveFile keeps what it is given in a buffer; a write that fails while the
// buffer is flushed (a full disk) goes unnoticed by commit(), which would then
// put a cut or empty file in place of the whole one. So this flushes and
// syncs first, and gives up on any error: the previous file then stays.
bool commitWhole(QSaveFile& file);

// A copy that is either whole or absent: QFile::copy writes through a buffer
// whose failures (a full disk) it does not see, and could leave a cut copy
// that looks like a good one.
bool copyWhole(const QString& from, const QString& to);

} // namespace tanzo
