#include "DataFile.h"

#include "platform/SafeFiles.h"

#include "LoadNotice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tanzo {
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
    takeLines(readDataFileLines(bytes, today), reading);
    return reading;
}

void DataFile::takeLines(DataFileLines&& lines, Reading& reading) {
    reading.list = std::move(lines.list);
    reading.report = lines.report;
    reading.needsBackup = lines.needsBackup;
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
    takeLines(readDataFileLines(bytes, today), reading);
    takeContent(std::move(reading), list);
    return m_report.ok;
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
