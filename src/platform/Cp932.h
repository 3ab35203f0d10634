#pragma once

#include <QByteArray>
#include <QString>

namespace tanzo::cp932 {

// Text in the data file and the settings store is code page 932 (Windows
// Shift_JIS). glibc's iconv "CP932" is byte-exact with the Windows tables.
// Characters that have no code in the page become '?', as on Windows.
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

// Whether every character of the text has a code in the page that reads
// back as the same character, so that decode(encode(text)) == text.
bool encodable(const QString& text);

// Number of bytes the text takes in code page 932 (full-width 2, others 1).
int width(const QString& text);
int charWidth(char32_t ch);

} // namespace tanzo::cp932
