#include "DataFile.h"

#include "platform/SafeFiles.h"

#include "DataFileText.h"
#include "DayListSort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace tanzo {
namespace {

// Pulls the fields of the data file one by one. A field that begins with a
// double quote runs to the next double quote; any other runs to the next
// comma or line end. A comma or a line end ends a field.
class FieldReader {
public:
    enum class Result { Ok, End, Bad };

    explicit FieldReader(const QByteArray& bytes)
        : m_p(bytes.constData()), m_end(bytes.constData() + bytes.size()) {}

    int line() const { return m_line; }

    // Skips blank lines (and a trailing end-of-file mark) before an entry;
    // false when nothing but those is left.
    bool skipToEntry() {
        while (m_p < m_end) {
            const char c = *m_p;
            if (c == '\n')
                ++m_line;
            else if (c != ' ' && c != '\t' && c != '\r' && c != '\x1a')
                return true;
            ++m_p;
        }
        return false;
    }

    Result next(const char*& begin, qsizetype& length) {
        skipBlanks();
        if (m_p >= m_end)
            return Result::End;
        if (*m_p == '"') {
            const char* close = static_cast<const char*>(memchr(m_p + 1, '"', m_end - m_p - 1));
            if (!close)
                return Result::Bad;
            begin = m_p + 1;
            length = close - begin;
            for (const char* q = begin; q < close; ++q)
                m_line += *q == '\n';
            m_p = close + 1;
            skipBlanks();
            return endField() ? Result::Ok : Result::Bad;
        }
        begin = m_p;
        while (m_p < m_end && *m_p != ',' && *m_p != '\r' && *m_p != '\n')
            ++m_p;
        const char* last = m_p;
        while (last > begin && (last[-1] == ' ' || last[-1] == '\t'))
            --last;
        length = last - begin;
        return endField() ? Result::Ok : Result::Bad;
    }

private:
    void skipBlanks() {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t'))
            ++m_p;
    }

    // Consumes the separator after a field: a comma, a line end or the end
    // of the file.
    bool endField() {
        if (m_p >= m_end)
            return true;
        if (*m_p == ',') {
            ++m_p;
            return true;
        }
        if (*m_p == '\r') {
            ++m_p;
            if (m_p < m_end && *m_p == '\n')
                ++m_p;
            ++m_line;
            return true;
        }
        if (*m_p == '\n') {
            ++m_p;
            ++m_line;
            return true;
        }
        return false;
    }

    const char* m_p;
    const char* m_end;
    int m_line = 1;
};

// Reads one entry; false when the entry is damaged or the file ends inside it.
// `exact` becomes false when a text field held bytes outside code page 932.
bool readEntry(FieldReader& reader, ScheduleEntry& entry, bool& exact) {
    const char* b = nullptr;
    qsizetype n = 0;
    int16_t number = 0;
    bool placeExact = true;
    bool commentExact = true;
    auto field = [&] { return reader.next(b, n) == FieldReader::Result::Ok; };
    if (!field() || !datafile::parseFloat(b, n, entry.EntryDate))
        return false;
    if (!field() || !datafile::parseFloat(b, n, entry.StartTime))
        return false;
    if (!field() || !datafile::parseShort(b, n, entry.Status))
        return false;
    if (!field())
        return false;
    entry.Place = fitPlace(datafile::decodeText(b, n, &placeExact));
    if (!field())
        return false;
    entry.Comment = datafile::decodeText(b, n, &commentExact);
    exact = placeExact && commentExact;
    if (!field() || !datafile::parseShort(b, n, number))
        return false;
    entry.Arrived = number != 0;
    if (!field() || !datafile::parseShort(b, n, number))
        return false;
    entry.PreNoticed = number != 0;
    return true;
}

} // namespace

QByteArray encodeEntryLine(const ScheduleEntry& entry) {
    QByteArray line;
    line.reserve(64 + entry.Comment.size() * 2);
    line += datafile::formatFloat(entry.EntryDate);
    line += ',';
    line += datafile::formatFloat(entry.StartTime);
    line += ',';
    line += QByteArray::number(entry.Status);
    line += ",\"";
    line += datafile::encodeText(fitPlace(datafile::storableText(entry.Place)));
    line += "\",\"";
    line += datafile::encodeText(datafile::storableText(entry.Comment));
    line += "\",";
    line += entry.Arrived ? "-1" : "0";
    line += ',';
    line += entry.PreNoticed ? "-1" : "0";
    line += "\r\n";
    return line;
}

DataFile::DataFile(QString path) : m_path(std::move(path)) {}

bool DataFile::load(DayList& list, const QDate& today) {
    list = placeholderDayList();
    m_report = LoadReport{};
    const QFileInfo info(m_path);
    if (!info.exists()) {
        m_needsBackup = false;
        return true;
    }
    QFile file(m_path);
    QByteArray bytes;
    if (!info.isDir() && file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (info.isDir() || !file.isOpen() || file.error() != QFileDevice::NoError) {
        // Whatever stands there could not be read, so it must not be
        // replaced without a copy either.
        m_report.ok = false;
        m_needsBackup = true;
        return false;
    }
    file.close();
    return loadBytes(bytes, list, today);
}

bool DataFile::loadBytes(const QByteArray& bytes, DayList& list, const QDate& today) {
    list = placeholderDayList();
    m_report = LoadReport{};
    m_needsBackup = false;
    list.reserve(std::min<qsizetype>(bytes.count('\n') + 1, MaxDayListEntries));
    const float oldest = daySerial(today) - 6;
    FieldReader reader(bytes);
    while (reader.skipToEntry()) {
        const int line = reader.line();
        ScheduleEntry entry;
        bool exact = true;
        if (!readEntry(reader, entry, exact)) {
            m_report.ok = false;
            m_report.lineNumber = line;
            m_needsBackup = true;
            return false;
        }
        if (!(entry.EntryDate >= oldest)) {
            ++m_report.dropped;
            continue;
        }
        if (list[0].EntryDate <= 0) {
            list[0] = std::move(entry);
        } else if (static_cast<int>(list.size()) < MaxDayListEntries) {
            list.push_back(std::move(entry));
        } else {
            m_report.overLimit = true;
            ++m_report.leftOut;
            continue;
        }
        ++m_report.kept;
        if (!exact)
            ++m_report.undecodable;
    }
    // Entries left out for the size limit, and text that cannot be written
    // back as it was read, exist as they are only in the file now.
    m_needsBackup = m_report.overLimit || m_report.undecodable > 0;
    sortDayList(list);
    return true;
}

bool DataFile::keepBackup() {
    if (!QFileInfo::exists(m_path))
        return true;
    const QString copy = freeCopyName(backupPath());
    if (!copyWhole(m_path, copy))
        return false;
    m_lastBackup = copy;
    m_needsBackup = false;
    return true;
}

bool DataFile::save(const DayList& list) {
    const auto writer = openForWrite();
    if (!writer)
        return false;
    for (const ScheduleEntry& entry : list) {
        if (!writer->write(entry)) {
            writer->abandon();
            return false;
        }
    }
    return writer->commit();
}

std::unique_ptr<DataFile::Writer> DataFile::openForWrite() {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    std::unique_ptr<Writer> writer(new Writer(*this));
    if (!writer->m_file->open(QIODevice::WriteOnly))
        return nullptr;
    return writer;
}

DataFile::Writer::Writer(DataFile& owner)
    : m_owner(owner), m_file(std::make_unique<QSaveFile>(owner.m_path)) {
    // Never fall back to writing over the file in place: a failure part way
    // would leave it cut short.
    m_file->setDirectWriteFallback(false);
}

DataFile::Writer::~Writer() {
    abandon();
}

bool DataFile::Writer::write(const ScheduleEntry& entry) {
    if (m_failed || !m_file || !m_file->isOpen())
        return false;
    if (m_owner.m_failAfter >= 0 && m_written >= m_owner.m_failAfter) {
        m_failed = true;
        return false;
    }
    const QByteArray line = encodeEntryLine(entry);
    if (m_file->write(line) != line.size()) {
        m_failed = true;
        return false;
    }
    ++m_written;
    return true;
}

bool DataFile::Writer::commit() {
    if (!m_file || !m_file->isOpen())
        return false;
    if (m_failed || (m_owner.m_needsBackup && !m_owner.keepBackup())) {
        abandon();
        return false;
    }
    const bool ok = commitWhole(*m_file);
    m_file.reset();
    if (ok)
        m_owner.m_needsBackup = false; // the file now holds exactly what was written
    return ok;
}

void DataFile::Writer::abandon() {
    if (m_file && m_file->isOpen())
        m_file->cancelWriting();
    m_file.reset();
}

} // namespace tanzo
