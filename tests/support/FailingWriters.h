#pragma once

#include "platform/AtomicWriter.h"

#include <QString>

#include <memory>

namespace tanzo::test {

// Writers that fail on demand, as a full disk would: each writer takes
// `failAfterWrites` writes, then refuses every later one (-1: none fail),
// and the file stays as it was. The setting is read at each write, so a
// test can change it between saves. Only files whose path ends in
// `fileName` fail; an empty name means every file.
struct WriteFailures {
    int failAfterWrites = -1;
    QString fileName;

    // The factory to give the store; it reads this object, which must
    // outlive the store.
    AtomicWriterFactory factory() {
        return [this](const QString& path) -> std::unique_ptr<AtomicWriter> {
            auto real = makeSaveFileWriter(path);
            if (!fileName.isEmpty() && !path.endsWith(fileName))
                return real;
            return std::make_unique<Writer>(std::move(real), *this);
        };
    }

private:
    class Writer : public AtomicWriter {
    public:
        Writer(std::unique_ptr<AtomicWriter> real, const WriteFailures& failures)
            : m_real(std::move(real)), m_failures(failures) {}
        bool open() override { return m_real->open(); }
        bool write(const QByteArray& bytes) override {
            const int limit = m_failures.failAfterWrites;
            if (limit >= 0 && m_written >= limit)
                return false;
            ++m_written;
            return m_real->write(bytes);
        }
        int flushedHandle() override { return m_real->flushedHandle(); }
        bool commit() override { return m_real->commit(); }
        void cancel() override { m_real->cancel(); }

    private:
        std::unique_ptr<AtomicWriter> m_real;
        const WriteFailures& m_failures;
        int m_written = 0;
    };
};

} // namespace tanzo::test
