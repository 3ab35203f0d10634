#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace tanzo {

// A file written anew as a whole: what is written replaces the file only
// when commit() succeeds; cancel(), or destroying the writer, leaves the
// previous file as it was. The data file and the settings store write
// through writers made by a factory they are given.
class AtomicWriter {
public:
    virtual ~AtomicWriter() = default;
    // Opens the new content; a file that does not exist yet is made with
    // mode 0600, one that does keeps its mode.
    virtual bool open() = 0;
    // False unless every byte was taken.
    virtual bool write(const QByteArray& bytes) = 0;
    // Flushes what was written and gives the descriptor of the new content,
    // so that its stamp can be taken before it is put in place; -1 when
    // there is none or the flush failed.
    virtual int flushedHandle() = 0;
    // Puts the new content in place, synced to the disk; on any error the
    // previous file stays.
    virtual bool commit() = 0;
    virtual void cancel() = 0;
};

using AtomicWriterFactory = std::function<std::unique_ptr<AtomicWriter>(const QString& path)>;

// The program's writer: a QSaveFile that never falls back to writing over
// the file in place, as a failure part way would leave it cut short.
std::unique_ptr<AtomicWriter> makeSaveFileWriter(const QString& path);

} // namespace tanzo
