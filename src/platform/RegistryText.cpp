#include "RegistryText.h"

#include "Cp932.h"

#include <QStringDecoder>
#include <QStringList>

namespace tanzo {
namespace {

const QString kHeader = QStringLiteral("REGEDIT4");

QString escapeText(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString hexList(const QByteArray& bytes) {
    QStringList parts;
    parts.reserve(bytes.size());
    for (char b : bytes)
        parts << QStringLiteral("%1").arg(static_cast<unsigned char>(b), 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(','));
}

// Text that survives the trip through the UTF-8 file is written as a quoted
// string; anything else (bytes outside the code page, NUL) as hex, so that
// no stored byte is ever changed by a save.
QString encodeData(const QByteArray& cp932Bytes, bool isString) {
    if (!isString)
        return QStringLiteral("hex:") + hexList(cp932Bytes);
    const QString text = cp932::decode(cp932Bytes);
    if (!cp932Bytes.contains('\0') && cp932::encode(text) == cp932Bytes)
        return QLatin1Char('"') + escapeText(text) + QLatin1Char('"');
    return QStringLiteral("hex(1):") + hexList(cp932Bytes);
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the
// closing quote. Returns false on a missing quote or an unknown escape.
bool readQuoted(const QString& text, qsizetype& pos, QString& out) {
    out.clear();
    ++pos;
    while (pos < text.size()) {
        const QChar c = text[pos++];
        if (c == QLatin1Char('"'))
            return true;
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (pos >= text.size())
            return false;
        const QChar e = text[pos++];
        if (e == QLatin1Char('\\') || e == QLatin1Char('"'))
            out += e;
        else if (e == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (e == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else
            return false;
    }
    return false;
}

bool parseHex(QStringView list, QByteArray& out) {
    out.clear();
    if (list.trimmed().isEmpty())
        return true;
    const auto parts = list.split(QLatin1Char(','));
    for (QStringView part : parts) {
        part = part.trimmed();
        if (part.size() != 2)
            return false;
        bool ok = false;
        const uint byte = part.toUInt(&ok, 16);
        if (!ok)
            return false;
        out.append(static_cast<char>(byte));
    }
    return true;
}

// Parses the data part of a value line: "text", hex:.., hex(1):..
std::optional<RegistryValue> parseData(QStringView data) {
    RegistryValue value;
    if (data.startsWith(QLatin1Char('"'))) {
        const QString s = data.toString();
        qsizetype pos = 0;
        QString text;
        if (!readQuoted(s, pos, text) || !QStringView(s).mid(pos).trimmed().isEmpty())
            return std::nullopt;
        value.type = RegistryValue::Type::String;
        value.data = cp932::encode(text);
        return value;
    }
    if (data.startsWith(QLatin1String("hex:"))) {
        value.type = RegistryValue::Type::Binary;
    } else if (data.startsWith(QLatin1String("hex(1):"))) {
        value.type = RegistryValue::Type::String;
    } else {
        return std::nullopt;
    }
    if (!parseHex(data.mid(data.indexOf(QLatin1Char(':')) + 1), value.data))
        return std::nullopt;
    return value;
}

} // namespace

QString normaliseKeyPath(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

namespace {

// A key line, "[path]": the key and its parents are made, as in the registry
// parents exist whenever a child does. Returns the key's lower-case path,
// or an empty one when the line is damaged.
QString readKeyLine(const QString& line, RegistryTree& tree) {
    const QString path = normaliseKeyPath(line.mid(1, line.size() - 2));
    if (!line.endsWith(QLatin1Char(']')) || path.isEmpty() || path.startsWith(QLatin1Char('-')))
        return {};
    const QStringList parts = path.split(QLatin1Char('\\'));
    for (qsizetype n = 1; n <= parts.size(); ++n) {
        const QString sub = parts.first(n).join(QLatin1Char('\\'));
        tree.keys[sub.toLower()];
        if (!tree.keyNames.contains(sub.toLower()))
            tree.keyNames.insert(sub.toLower(), sub);
    }
    return path.toLower();
}

// A value line of a key: the default value ("@=data") or a named one
// ("\"name\"=data"). False when the line is damaged.
bool readValueLine(const QString& line, RegistryKey& key) {
    if (line.startsWith(QLatin1String("@="))) {
        const auto value = parseData(QStringView(line).mid(2));
        if (!value)
            return false;
        key.defaultValue = value->data;
        return true;
    }
    if (!line.startsWith(QLatin1Char('"')))
        return false;
    qsizetype pos = 0;
    QString name;
    if (!readQuoted(line, pos, name) || pos >= line.size() || line[pos] != QLatin1Char('=') ||
        name.isEmpty())
        return false;
    const auto value = parseData(QStringView(line).mid(pos + 1));
    if (!value)
        return false;
    key.values.insert(name.toLower(), *value);
    key.names.insert(name.toLower(), name);
    return true;
}

} // namespace

RegistryReading readRegistryText(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    RegistryReading reading;
    bool& damaged = reading.damaged;
    damaged = decoder.hasError() || bytes.contains('\0');

    QString current; // lower-case path of the key being read; empty before the first
    bool headerSeen = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        // A NUL cannot be written back as text: a name holding one would make
        // every file saved from this store damaged again.
        if (line.contains(QChar(0))) {
            damaged = true;
            if (line.startsWith(QLatin1Char('[')))
                current.clear(); // its values belong to no key
            continue;
        }
        if (!headerSeen) {
            headerSeen = true;
            if (line == kHeader)
                continue;
            damaged = true;
        }
        if (line.startsWith(QLatin1Char('['))) {
            current = readKeyLine(line, reading.tree);
            damaged = damaged || current.isEmpty();
        } else if (current.isEmpty() || !readValueLine(line, reading.tree.keys[current])) {
            damaged = true;
        }
    }
    return reading;
}

QByteArray writeRegistryText(const RegistryTree& tree) {
    QString out = kHeader + QStringLiteral("\n");
    for (auto it = tree.keys.cbegin(); it != tree.keys.cend(); ++it) {
        const RegistryKey& key = it.value();
        out +=
            QStringLiteral("\n[") + tree.keyNames.value(it.key(), it.key()) + QStringLiteral("]\n");
        if (key.defaultValue)
            out += QStringLiteral("@=") + encodeData(*key.defaultValue, true) + QLatin1Char('\n');
        for (auto v = key.values.cbegin(); v != key.values.cend(); ++v) {
            out += QLatin1Char('"') + escapeText(key.names.value(v.key(), v.key())) +
                   QStringLiteral("\"=") +
                   encodeData(v.value().data, v.value().type == RegistryValue::Type::String) +
                   QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

} // namespace tanzo
