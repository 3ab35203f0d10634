#include "AtomicWriter.h"

#include "SafeFiles.h"

#include <QSaveFile>

namespace tanzo {
namespace {

class SaveFileWriter final : public AtomicWriter {
public:
    explicit SaveFileWriter(const QString& path) : m_file(path) {
        m_file.setDirectWriteFallback(false);
    }
    ~SaveFileWriter() override { cancel(); }

    bool open() override { return openPrivately(m_file); }
    bool write(const QByteArray& bytes) override {
        return m_file.isOpen() && m_file.write(bytes) == bytes.size();
    }
    int flushedHandle() override {
        return m_file.isOpen() && m_file.flush() ? m_file.handle() : -1;
    }
    bool commit() override { return m_file.isOpen() && commitWhole(m_file); }
    void cancel() override {
        if (m_file.isOpen())
            m_file.cancelWriting();
    }

private:
    QSaveFile m_file;
};

} // namespace

std::unique_ptr<AtomicWriter> makeSaveFileWriter(const QString& path) {
    return std::make_unique<SaveFileWriter>(path);
}

} // namespace tanzo
