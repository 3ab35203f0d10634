#include "Cp932.h"

#include <QList>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <utility>
#include <vector>

namespace tanzo::cp932 {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

} // namespace

Converter::Converter(Direction direction)
    : m_cd(direction == Direction::ToCp932 ? iconv_open("CP932", "UTF-8")
                                           : iconv_open("UTF-8", "CP932")) {}

Converter::~Converter() {
    if (m_cd != kNoConverter)
        iconv_close(m_cd);
}

std::optional<QByteArrayView> Converter::convert(const char* in, qsizetype length) {
    if (m_cd == kNoConverter)
        return std::nullopt;
    // A character takes at most three bytes in UTF-8 and two in the page.
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    m_buffer.resize(static_cast<size_t>(length) * 3 + 4);
    char* src = const_cast<char*>(in);
    char* dst = m_buffer.data();
    size_t srcLeft = static_cast<size_t>(length);
    size_t dstLeft = m_buffer.size();
    if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1))
        return std::nullopt;
    return QByteArrayView(m_buffer.data(), dst - m_buffer.data());
}

bool Converter::convert(const char* in, qsizetype length, QByteArray& out) {
    const std::optional<QByteArrayView> converted = convert(in, length);
    if (!converted)
        return false;
    out.append(*converted);
    return true;
}

QByteArray encode(const QString& text) {
    QByteArray out;
    out.reserve(text.size() * 2);
    // Fast path for ASCII, which is identical in code page 932.
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLatin1();

    Converter toCp932(Converter::Direction::ToCp932);
    const QList<uint> codePoints = text.toUcs4();
    for (uint cpu : codePoints) {
        const char32_t cp = cpu;
        if (cp < 0x80) {
            out.append(static_cast<char>(cp));
            continue;
        }
        const QByteArray utf8 = QString::fromUcs4(&cp, 1).toUtf8();
        if (!toCp932.convert(utf8.constData(), utf8.size(), out))
            out.append('?');
    }
    return out;
}

QString decode(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    Converter fromCp932(Converter::Direction::FromCp932);
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
            continue;
        }
        // Lead bytes of double-byte characters: 0x81-0x9F and 0xE0-0xFC.
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        const qsizetype len = (lead && i + 1 < bytes.size()) ? 2 : 1;
        QByteArray utf8;
        if (fromCp932.convert(bytes.constData() + i, len, utf8))
            out.append(QString::fromUtf8(utf8));
        else
            out.append(QChar(0xFFFD));
        i += len;
    }
    return out;
}

std::optional<QByteArray> toUtf8(const QByteArray& bytes) {
    QByteArray out;
    Converter fromCp932(Converter::Direction::FromCp932);
    if (!fromCp932.convert(bytes.constData(), bytes.size(), out))
        return std::nullopt;
    return out;
}

bool encodable(const QString& text) {
    Converter toCp932(Converter::Direction::ToCp932);
    Converter fromCp932(Converter::Direction::FromCp932);
    QByteArray out;
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            continue;
        // The page has no character outside the basic plane, and half a
        // surrogate pair is no character at all.
        if (c.isSurrogate())
            return false;
        const QByteArray utf8 = QString(c).toUtf8();
        out.clear();
        if (!toCp932.convert(utf8.constData(), utf8.size(), out))
            return false;
        // Some characters are stored as a look-alike (¥ as the backslash's
        // byte) and read back as that: they are not held either.
        QByteArray back;
        if (!fromCp932.convert(out.constData(), out.size(), back) || back != utf8)
            return false;
    }
    return true;
}

QString storable(const QString& text) {
    // The page's codes 0x8160, 0x817C, 0x8161, 0x8191, 0x8192 and 0x81CA
    // read as the full-width forms on the right.
    static constexpr std::pair<char16_t, char16_t> kLookAlikes[] = {
        {u'\u301C', u'\uFF5E'}, {u'\u2212', u'\uFF0D'}, {u'\u2016', u'\u2225'},
        {u'\u00A2', u'\uFFE0'}, {u'\u00A3', u'\uFFE1'}, {u'\u00AC', u'\uFFE2'}};
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t' || u == u'\n' || u == u'\r') {
            out.append(QLatin1Char(' '));
            continue;
        }
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            continue;
        const auto* match = std::find_if(std::begin(kLookAlikes), std::end(kLookAlikes),
                                         [u](const auto& pair) { return pair.first == u; });
        out.append(match != std::end(kLookAlikes) ? QChar(match->second) : c);
    }
    return out;
}

int charWidth(char32_t ch, Converter& toCp932) {
    if (ch < 0x80)
        return 1;
    // Half-width katakana are single bytes in code page 932.
    if (ch >= 0xFF61 && ch <= 0xFF9F)
        return 1;
    QByteArray out;
    const QByteArray utf8 = QString::fromUcs4(&ch, 1).toUtf8();
    if (!toCp932.convert(utf8.constData(), utf8.size(), out))
        return 1; // becomes '?'
    return static_cast<int>(out.size());
}

int charWidth(char32_t ch) {
    Converter toCp932(Converter::Direction::ToCp932);
    return charWidth(ch, toCp932);
}

int width(const QString& text) {
    Converter toCp932(Converter::Direction::ToCp932);
    int total = 0;
    const QList<uint> codePoints = text.toUcs4();
    for (uint cp : codePoints)
        total += charWidth(cp, toCp932);
    return total;
}

} // namespace tanzo::cp932
