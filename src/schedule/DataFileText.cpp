#include "DataFileText.h"

#include "platform/Cp932.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tanzo::datafile {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the plain forms [+-]digits[.digits][E[+-]digits] and .digits; the
// parser below alone would also take "inf", "nan" and hex forms.
bool isDecimal(const char* p, const char* end) {
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    bool digits = false;
    while (p < end && isDigit(*p)) {
        ++p;
        digits = true;
    }
    if (p < end && *p == '.') {
        ++p;
        while (p < end && isDigit(*p)) {
            ++p;
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        if (p >= end || !isDigit(*p))
            return false;
        while (p < end && isDigit(*p))
            ++p;
    }
    return p == end;
}

template <typename T> bool parseDecimal(const char* text, qsizetype length, T& out) {
    const char* end = text + length;
    if (!isDecimal(text, end))
        return false;
    if (*text == '+')
        ++text;
    const auto result = std::from_chars(text, end, out, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(out);
}

} // namespace

bool parseFloat(const char* text, qsizetype length, float& out) {
    return parseDecimal(text, length, out);
}

bool parseShort(const char* text, qsizetype length, int16_t& out) {
    double value = 0;
    if (!parseDecimal(text, length, value))
        return false;
    value = std::nearbyint(value);
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        return false;
    out = static_cast<int16_t>(value);
    return true;
}

QByteArray formatFloat(float value) {
    if (value == 0)
        return QByteArrayLiteral("0");
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QByteArray text(buffer, result.ptr - buffer);
    text.replace('e', 'E');
    if (text.startsWith("0."))
        text.remove(0, 1);
    else if (text.startsWith("-0."))
        text.remove(1, 1);
    return text;
}

QString decodeText(const char* bytes, qsizetype length, cp932::Converter& fromCp932, bool* exact) {
    if (exact)
        *exact = true;
    bool ascii = true;
    for (qsizetype i = 0; i < length && ascii; ++i)
        ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes, length);
    // Converting the field in one call keeps loading a large file fast; text
    // the converter refuses goes character by character, which marks the
    // bad bytes.
    if (const std::optional<QByteArrayView> utf8 = fromCp932.convert(bytes, length))
        return QString::fromUtf8(*utf8);
    const QString text = cp932::decode(QByteArray(bytes, length));
    if (exact)
        *exact = !text.contains(QChar(QChar::ReplacementCharacter));
    return text;
}

QByteArray encodeText(const QString& text) {
    return cp932::encode(text);
}

QString storableText(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('"'), QChar(0xFF02));
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

} // namespace tanzo::datafile
