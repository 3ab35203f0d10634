#pragma once

#include <QByteArray>
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

// The directory and any missing parents; each one made here gets mode 0700
// (the user's appointments and settings are nobody else's), those already
// there keep theirs. True when the directory is there.
bool makePrivateDirectory(const QString& path);

// Opens the save file for writing; a file that does not exist yet is made
// with mode 0600, one that does keeps its mode (QSaveFile carries it over).
bool openPrivately(QSaveFile& file);

// A file read only when it is a regular one: a FIFO would block the reader
// until some writer came, a device (/dev/zero) would never end.
enum class RegularFileRead { Read, Missing, NotRegular, TooLarge, Failed };
RegularFileRead readRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes);

} // namespace tanzo
