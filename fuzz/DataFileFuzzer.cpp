// Bytes of a data file through the reader, then the entries through the
// writer and the reader again. Besides crashes and undefined behaviour it
// catches a reader that accepts what the writer then cannot reproduce.
#include "schedule/DataFile.h"
#include "schedule/DayListSort.h"

#include <QByteArray>
#include <QDate>

#include <cstdint>
#include <cstdlib>

using namespace tanzo;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

QByteArray encodeAll(const DayList& list) {
    QByteArray bytes;
    for (const ScheduleEntry& e : list)
        bytes += encodeEntryLine(e);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QDate today(2027, 3, 15);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    DataFile file(QStringLiteral("/nonexistent/TANZO.DAT"));
    DayList list;
    const bool ok = file.loadBytes(bytes, list, today);
    const DataFile::LoadReport& report = file.lastLoad();
    require(!list.empty());
    require(list.size() <= static_cast<size_t>(MaxDayListEntries));
    require(ok == report.ok);
    require(ok == (report.unreadable == 0));
    require(file.needsBackupBeforeWrite() == (!ok || report.overLimit));
    for (const ScheduleEntry& e : list) {
        require(e.place.size() == PlaceLength);
        require(holdsNoAppointment(list) || hasShowableDate(e));
        // What the board and the editor ask of every entry.
        (void)e.date();
        (void)e.startHourMinute();
    }
    // Damaged lines are left out and the rest is read: the list is ordered,
    // what the writer makes of it reads back whole, and the second round
    // changes nothing more.
    DayList sorted = list;
    exchangeSortDayList(sorted);
    require(encodeAll(sorted) == encodeAll(list));

    const QByteArray written = encodeAll(list);
    DayList again;
    require(file.loadBytes(written, again, today));
    require(again.size() == list.size() || holdsNoAppointment(list));
    if (holdsNoAppointment(list))
        return 0;
    require(encodeAll(again) == written);
    return 0;
}
