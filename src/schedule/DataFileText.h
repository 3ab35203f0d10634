#pragma once

#include "platform/Cp932.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// The text forms of the data file's fields.
namespace tanzo::datafile {

// Numbers as the file holds them: "45413", ".4375", "0.4375", "-1",
// "6.944445E-04". The whole text must be a number.
bool parseFloat(const char* text, qsizetype length, float& out);
// A 16-bit field; a fraction is rounded as the file's writer would.
bool parseShort(const char* text, qsizetype length, int16_t& out);

// The shortest decimal that reads back as the same 32-bit value, without
// the leading zero before the period (".4375"), exponent as "E-04".
QByteArray formatFloat(float value);

// Code page 932 text of a field, and back. Bytes that are not code page 932
// become U+FFFD; *exact (when given) is set false then, since writing the
// text back could not give the same bytes. The reader of a file passes the
// one converter it keeps for all its fields.
QString decodeText(const char* bytes, qsizetype length, cp932::Converter& fromCp932,
                   bool* exact = nullptr);
QByteArray encodeText(const QString& text);

// The file format has no escape: a double quote would end the field and a
// line end would split the entry. They become the full-width quote and a
// space.
QString storableText(const QString& text);

} // namespace tanzo::datafile
