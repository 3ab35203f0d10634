#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <iconv.h>

#include <optional>
#include <vector>

namespace tanzo::cp932 {

// One direction of conversion between code page 932 and UTF-8 (glibc's
// iconv). Opening one costs about a microsecond, so the functions below open
// their own for each call; a reader of many fields keeps one for the whole
// file instead. Not shared between threads.
class Converter {
public:
    enum class Direction { ToCp932, FromCp932 };
    explicit Converter(Direction direction);
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The conversion of all `length` bytes, valid until the next call;
    // empty when some of them have no conversion.
    std::optional<QByteArrayView> convert(const char* in, qsizetype length);
    // The same, appended to `out`; false, and nothing appended, then.
    bool convert(const char* in, qsizetype length, QByteArray& out);

private:
    iconv_t m_cd;
    std::vector<char> m_buffer;
};

// Text in the data file and the settings store is code page 932 (Shift_JIS
// with the NEC and IBM extensions). glibc's iconv "CP932" maps it byte for
// byte. Characters that have no code in the page become '?'.
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

// The UTF-8 form of a whole code page 932 text; empty when the bytes are
// not code page 932 (a lead byte without its trail, an unassigned code).
std::optional<QByteArray> toUtf8(const QByteArray& bytes);

// Whether every character of the text has a code in the page that reads
// back as the same character, so that decode(encode(text)) == text.
bool encodable(const QString& text);

// Text as typed, pasted or imported, in the form the page holds: the
// look-alikes that input methods and other programs produce become the
// page's own characters (〜 − ‖ ¢ £ ¬ → ～ － ∥ ￠ ￡ ￢), and control
// characters go, a line end or tab becoming a space. Everything else is
// left for encodable() to judge.
QString storable(const QString& text);

// Number of bytes the text takes in code page 932 (full-width 2, others 1).
int width(const QString& text);
int charWidth(char32_t ch);
// The same with the caller's converter, for a loop over many characters.
int charWidth(char32_t ch, Converter& toCp932);

} // namespace tanzo::cp932
