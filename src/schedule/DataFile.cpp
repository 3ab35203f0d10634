#include "DataFile.h"

#include "platform/SafeFiles.h"

#include "DataFileText.h"
#include "DayListSort.h"
#include "LoadNotice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tanzo {
namespace {

// The fields of one line of the data file. A field that begins with a
// double quote runs to the next double quote on the same line; any other
// runs to the next comma or the line's end. A line is one record: a field
// never continues on the next line, so a damaged line cannot take the next
// one's fields.
class LineFields {
public:
    LineFields(const char* begin, const char* end) : m_p(begin), m_end(end) {}

    bool atEnd() const { return m_p >= m_end && !m_pendingField; }

    // False when the line holds no further field or the field is malformed.
    bool next(const char*& begin, qsizetype& length) {
        skipBlanks();
        if (m_p >= m_end) {
            // "a," still has an (empty) field after its comma.
            if (!m_pendingField)
                return false;
            m_pendingField = false;
            begin = m_p;
            length = 0;
            return true;
        }
        m_pendingField = false;
        if (*m_p == '"') {
            const char* close = static_cast<const char*>(memchr(m_p + 1, '"', m_end - m_p - 1));
            if (!close)
                return false;
            begin = m_p + 1;
            length = close - begin;
            m_p = close + 1;
            skipBlanks();
            return endField();
        }
        begin = m_p;
        while (m_p < m_end && *m_p != ',')
            ++m_p;
        const char* last = m_p;
        while (last > begin && (last[-1] == ' ' || last[-1] == '\t'))
            --last;
        length = last - begin;
        return endField();
    }

private:
    void skipBlanks() {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t'))
            ++m_p;
    }

    bool endField() {
        if (m_p >= m_end)
            return true;
        if (*m_p != ',')
            return false;
        ++m_p;
        m_pendingField = true;
        return true;
    }

    const char* m_p;
    const char* m_end;
    bool m_pendingField = false;
};

// Blank lines (and a trailing end-of-file mark) are no records.
bool isBlankLine(const char* begin, const char* end) {
    for (const char* p = begin; p < end; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\x1a')
            return false;
    }
    return true;
}

// Where the next line starts: after CR LF, LF or a lone CR.
const char* lineEnd(const char* p, const char* end, const char*& next) {
    const char* lf = static_cast<const char*>(memchr(p, '\n', end - p));
    const char* stop = lf ? lf : end;
    const char* cr = static_cast<const char*>(memchr(p, '\r', stop - p));
    if (cr) {
        next = (cr + 1 < end && cr[1] == '\n') ? cr + 2 : cr + 1;
        return cr;
    }
    next = lf ? lf + 1 : end;
    return stop;
}

enum class LineResult { Entry, Damaged };

// Reads the seven fields of one line. `exact` becomes false when a text
// field held bytes outside code page 932.
LineResult readEntry(const char* lineBegin, const char* lineEnd, cp932::Converter& fromCp932,
                     ScheduleEntry& entry, bool& exact) {
    LineFields fields(lineBegin, lineEnd);
    const char* b = nullptr;
    qsizetype n = 0;
    int16_t number = 0;
    bool placeExact = true;
    bool commentExact = true;
    auto field = [&] { return fields.next(b, n); };
    if (!field() || !datafile::parseFloat(b, n, entry.dateSerial))
        return LineResult::Damaged;
    if (!field() || !datafile::parseFloat(b, n, entry.startTime))
        return LineResult::Damaged;
    if (!field() || !datafile::parseShort(b, n, entry.status))
        return LineResult::Damaged;
    if (!field())
        return LineResult::Damaged;
    entry.place = fitPlace(datafile::decodeText(b, n, fromCp932, &placeExact));
    if (!field())
        return LineResult::Damaged;
    entry.comment = datafile::decodeText(b, n, fromCp932, &commentExact);
    exact = placeExact && commentExact;
    if (!field() || !datafile::parseShort(b, n, number))
        return LineResult::Damaged;
    entry.arrived = number != 0;
    if (!field() || !datafile::parseShort(b, n, number))
        return LineResult::Damaged;
    entry.preNoticed = number != 0;
    return fields.atEnd() ? LineResult::Entry : LineResult::Damaged;
}

} // namespace

QByteArray encodeEntryLine(const ScheduleEntry& entry) {
    QByteArray line;
    line.reserve(64 + entry.comment.size() * 2);
    line += datafile::formatFloat(entry.dateSerial);
    line += ',';
    line += datafile::formatFloat(entry.startTime);
    line += ',';
    line += QByteArray::number(entry.status);
    line += ",\"";
    line += datafile::encodeText(fitPlace(datafile::storableText(entry.place)));
    line += "\",\"";
    line += datafile::encodeText(datafile::storableText(entry.comment));
    line += "\",";
    line += entry.arrived ? "-1" : "0";
    line += ',';
    line += entry.preNoticed ? "-1" : "0";
    line += "\r\n";
    return line;
}

DataFile::DataFile(QString path, AtomicWriterFactory writers)
    : m_path(std::move(path)), m_writers(std::move(writers)) {}

DataFile::Reading DataFile::read(const QString& path, const QDate& today) {
    Reading reading;
    const QFileInfo info(path);
    if (!info.exists()) {
        reading.list = placeholderDayList();
        return reading;
    }
    // Taken before the read: a write that lands during it counts as a
    // change the next time.
    reading.stamp = FileVersion::stampOf(path);
    QFile file(path);
    QByteArray bytes;
    if (!info.isDir() && file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (info.isDir() || !file.isOpen() || file.error() != QFileDevice::NoError) {
        reading.list = placeholderDayList();
        // Whatever stands there could not be read, so it must not be
        // replaced without a copy either.
        reading.report.ok = false;
        reading.report.fileUnreadable = true;
        reading.needsBackup = true;
        return reading;
    }
    file.close();
    reading.digest = FileVersion::digestOf(bytes);
    parse(bytes, today, reading);
    return reading;
}

void DataFile::adopt(Reading&& reading, DayList& list) {
    if (reading.stamp.exists)
        m_version.remember(reading.stamp, reading.digest);
    else
        m_version.rememberAbsent();
    takeContent(std::move(reading), list);
}

void DataFile::takeContent(Reading&& reading, DayList& list) {
    list = std::move(reading.list);
    m_report = reading.report;
    m_needsBackup = reading.needsBackup;
    noteLoss();
}

bool DataFile::load(DayList& list, const QDate& today) {
    adopt(read(m_path, today), list);
    return m_report.ok;
}

bool DataFile::loadBytes(const QByteArray& bytes, DayList& list, const QDate& today) {
    Reading reading;
    parse(bytes, today, reading);
    takeContent(std::move(reading), list);
    return m_report.ok;
}

void DataFile::parse(const QByteArray& bytes, const QDate& today, Reading& reading) {
    DayList& list = reading.list;
    LoadReport& report = reading.report;
    list = placeholderDayList();
    list.reserve(std::min<qsizetype>(bytes.count('\n') + 1, MaxDayListEntries));
    const float oldest = daySerial(today) - 6;
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    // Editors on Linux may start a file with a UTF-8 byte-order mark.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        p += 3;
    cp932::Converter fromCp932(cp932::Converter::Direction::FromCp932);
    for (int line = 1; p < end; ++line) {
        const char* next = nullptr;
        const char* const stop = lineEnd(p, end, next);
        const char* const begin = p;
        p = next;
        if (isBlankLine(begin, stop))
            continue;
        ScheduleEntry entry;
        bool exact = true;
        const bool read = readEntry(begin, stop, fromCp932, entry, exact) == LineResult::Entry;
        if (read && !(entry.dateSerial >= oldest)) {
            ++report.dropped;
            continue;
        }
        // Text that would not be written back as it stands, or a date no
        // calendar shows, is damage like a malformed line: left out of the
        // list, and kept in the backup.
        if (!read || !exact || !hasShowableDate(entry)) {
            if (report.unreadable++ == 0)
                report.lineNumber = line;
            report.ok = false;
            continue;
        }
        if (list[0].dateSerial <= 0) {
            list[0] = std::move(entry);
        } else if (static_cast<int>(list.size()) < MaxDayListEntries) {
            list.push_back(std::move(entry));
        } else {
            report.overLimit = true;
            ++report.leftOut;
            continue;
        }
        ++report.kept;
    }
    // Lines left out, for damage or for the size limit, exist only in the
    // file now.
    reading.needsBackup = report.unreadable > 0 || report.overLimit;
    sortDayList(list);
}

void DataFile::noteLoss() {
    const bool lost = !m_report.ok || m_report.overLimit;
    m_noticePending = lost && !(m_told && m_told->sameLoss(m_report));
}

QString DataFile::takeLoadNotice() {
    if (!m_noticePending)
        return {};
    m_noticePending = false;
    m_told = m_report;
    return loadNoticeText(m_report, m_path, nextBackupPath());
}

QString DataFile::nextBackupPath() const {
    return freeCopyName(backupPath());
}

bool DataFile::keepBackup() {
    if (!QFileInfo::exists(m_path))
        return true;
    const QString copy = nextBackupPath();
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
    makePrivateDirectory(QFileInfo(m_path).absolutePath());
    std::unique_ptr<Writer> writer(new Writer(*this));
    if (!writer->m_file->open())
        return nullptr;
    return writer;
}

DataFile::Writer::Writer(DataFile& owner) : m_owner(owner), m_file(owner.m_writers(owner.m_path)) {}

DataFile::Writer::~Writer() {
    abandon();
}

bool DataFile::Writer::write(const ScheduleEntry& entry) {
    if (m_failed || !m_file)
        return false;
    const QByteArray line = encodeEntryLine(entry);
    if (!m_file->write(line)) {
        m_failed = true;
        return false;
    }
    m_digest.addData(line);
    return true;
}

bool DataFile::Writer::commit() {
    if (!m_file)
        return false;
    if (m_failed || (m_owner.m_needsBackup && !m_owner.keepBackup())) {
        abandon();
        return false;
    }
    // The new file's stamp is taken before the rename puts it in place, so
    // a write by someone else right after it is not taken for this one.
    const int handle = m_file->flushedHandle();
    const FileVersion::Stamp stamp =
        handle >= 0 ? FileVersion::stampOf(handle) : FileVersion::Stamp{};
    const bool ok = m_file->commit();
    m_file.reset();
    if (ok) {
        m_owner.m_version.remember(stamp, m_digest.result());
        // The file now holds exactly what was written.
        m_owner.m_needsBackup = false;
        m_owner.m_told.reset();
    }
    return ok;
}

void DataFile::Writer::abandon() {
    if (m_file)
        m_file->cancel();
    m_file.reset();
}

} // namespace tanzo
