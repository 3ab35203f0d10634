// Text of an editor list line (as typed or pasted, UTF-8 or UTF-16) through
// the line splitter and the date and time readers: a line that splits must
// join back to exactly itself.
#include "editor/ListLine.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace tanzo;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

void check(const QString& line) {
    static const QDate openDate(2027, 3, 15);
    static const QTime openTime(9, 30);
    const auto fields = splitListLine(line);
    (void)isPastLine(line, openDate, openTime);
    if (!fields)
        return;
    require(joinListLine(*fields) == line);
    const QDate date = fieldsDate(*fields);
    const QTime time = fieldsTime(*fields);
    require(!date.isValid() || date.year() >= 0);
    require(!time.isValid() || time.second() == 0);
    (void)isPastLine(*fields, openDate, openTime);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    check(QString::fromUtf8(text, static_cast<qsizetype>(size)));
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    check(QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())));
    return 0;
}
