#include "RegistryStore.h"

#include "platform/SafeFiles.h"

#include "Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
std::optional<RegistryStore::Value> parseData(QStringView data) {
    RegistryStore::Value value;
    if (data.startsWith(QLatin1Char('"'))) {
        const QString s = data.toString();
        qsizetype pos = 0;
        QString text;
        if (!readQuoted(s, pos, text) || !QStringView(s).mid(pos).trimmed().isEmpty())
            return std::nullopt;
        value.type = RegistryStore::Type::String;
        value.data = cp932::encode(text);
        return value;
    }
    if (data.startsWith(QLatin1String("hex:"))) {
        value.type = RegistryStore::Type::Binary;
    } else if (data.startsWith(QLatin1String("hex(1):"))) {
        value.type = RegistryStore::Type::String;
    } else {
        return std::nullopt;
    }
    if (!parseHex(data.mid(data.indexOf(QLatin1Char(':')) + 1), value.data))
        return std::nullopt;
    return value;
}

} // namespace

RegistryStore::RegistryStore(QString filePath, AtomicWriterFactory writers)
    : m_filePath(std::move(filePath)), m_writers(std::move(writers)) {}

QString RegistryStore::normalise(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

bool RegistryStore::load() {
    QFileInfo info(m_filePath);
    if (!info.exists()) {
        m_keys.clear();
        m_keyNames.clear();
        m_damaged = false;
        m_damageUnkept = false;
        return true;
    }
    QFile file(m_filePath);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    file.close();

    m_damageUnkept = false;
    if (!parse(bytes)) {
        // A store reloaded before it was saved again is the same damaged file;
        // it is kept aside once, not once per load.
        if (bytes != m_damagedBytes || m_damagedCopy.isEmpty() ||
            !QFileInfo::exists(m_damagedCopy)) {
            m_damageUnkept = !keepDamagedCopy();
            if (!m_damageUnkept)
                m_damagedBytes = bytes;
        }
    }
    return true;
}

bool RegistryStore::keepDamagedCopy() {
    const QString copy = freeCopyName(m_filePath + QStringLiteral(".damaged"));
    if (!copyWhole(m_filePath, copy))
        return false;
    m_damagedCopy = copy;
    return true;
}

bool RegistryStore::parse(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    bool damaged = decoder.hasError() || bytes.contains('\0');

    QMap<QString, Key> keys;
    QMap<QString, QString> keyNames;
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
            const QString path = normalise(line.mid(1, line.size() - 2));
            if (!line.endsWith(QLatin1Char(']')) || path.isEmpty() ||
                path.startsWith(QLatin1Char('-'))) {
                damaged = true;
                current.clear();
                continue;
            }
            // Parents exist whenever a child does, as in the registry.
            const QStringList parts = path.split(QLatin1Char('\\'));
            for (qsizetype n = 1; n <= parts.size(); ++n) {
                const QString sub = parts.first(n).join(QLatin1Char('\\'));
                keys[sub.toLower()];
                if (!keyNames.contains(sub.toLower()))
                    keyNames.insert(sub.toLower(), sub);
            }
            current = path.toLower();
            continue;
        }
        if (current.isEmpty()) {
            damaged = true;
            continue;
        }
        Key& key = keys[current];
        if (line.startsWith(QLatin1String("@="))) {
            const auto value = parseData(QStringView(line).mid(2));
            if (!value) {
                damaged = true;
                continue;
            }
            key.defaultValue = value->data;
            continue;
        }
        if (!line.startsWith(QLatin1Char('"'))) {
            damaged = true;
            continue;
        }
        qsizetype pos = 0;
        QString name;
        if (!readQuoted(line, pos, name) || pos >= line.size() || line[pos] != QLatin1Char('=') ||
            name.isEmpty()) {
            damaged = true;
            continue;
        }
        const auto value = parseData(QStringView(line).mid(pos + 1));
        if (!value) {
            damaged = true;
            continue;
        }
        key.values.insert(name.toLower(), *value);
        key.names.insert(name.toLower(), name);
    }

    m_keys = keys;
    m_keyNames = keyNames;
    m_damaged = damaged;
    return !damaged;
}

QByteArray RegistryStore::serialise() const {
    QString out = kHeader + QStringLiteral("\n");
    for (auto it = m_keys.cbegin(); it != m_keys.cend(); ++it) {
        const Key& key = it.value();
        out += QStringLiteral("\n[") + m_keyNames.value(it.key(), it.key()) + QStringLiteral("]\n");
        if (key.defaultValue)
            out += QStringLiteral("@=") + encodeData(*key.defaultValue, true) + QLatin1Char('\n');
        for (auto v = key.values.cbegin(); v != key.values.cend(); ++v) {
            out += QLatin1Char('"') + escapeText(key.names.value(v.key(), v.key())) +
                   QStringLiteral("\"=") +
                   encodeData(v.value().data, v.value().type == Type::String) + QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

bool RegistryStore::save() {
    const QFileInfo info(m_filePath);
    if (!makePrivateDirectory(info.absolutePath()))
        return false;
    if (m_damageUnkept && QFileInfo::exists(m_filePath)) {
        if (!keepDamagedCopy())
            return false;
        m_damageUnkept = false;
    }

    const std::unique_ptr<AtomicWriter> file = m_writers(m_filePath);
    if (!file->open() || !file->write(serialise()) || !file->commit())
        return false;
    m_damagedBytes.clear();
    return true;
}

bool RegistryStore::createKey(const QString& path) {
    const QString norm = normalise(path);
    if (norm.isEmpty())
        return false;
    if (keyExists(norm))
        return true;
    const QStringList parts = norm.split(QLatin1Char('\\'));
    for (qsizetype n = 1; n <= parts.size(); ++n) {
        const QString sub = parts.first(n).join(QLatin1Char('\\'));
        const QString lower = sub.toLower();
        if (!m_keys.contains(lower)) {
            m_keys.insert(lower, Key{});
            m_keyNames.insert(lower, sub);
        }
    }
    return true;
}

bool RegistryStore::keyExists(const QString& path) const {
    return m_keys.contains(normalise(path).toLower());
}

bool RegistryStore::deleteKey(const QString& path) {
    const QString lower = normalise(path).toLower();
    if (lower.isEmpty() || !m_keys.contains(lower))
        return false;
    const QString childPrefix = lower + QLatin1Char('\\');
    for (auto it = m_keys.lowerBound(childPrefix); it != m_keys.cend(); ++it) {
        if (!it.key().startsWith(childPrefix))
            break;
        return false; // has subkeys
    }
    m_keys.remove(lower);
    m_keyNames.remove(lower);
    return true;
}

std::optional<RegistryStore::Value> RegistryStore::value(const QString& keyPath,
                                                         const QString& name) const {
    const auto key = m_keys.constFind(normalise(keyPath).toLower());
    if (key == m_keys.cend())
        return std::nullopt;
    const auto v = key->values.constFind(name.toLower());
    if (v == key->values.cend())
        return std::nullopt;
    return *v;
}

bool RegistryStore::setValue(const QString& keyPath, const QString& name, const Value& value) {
    if (name.isEmpty() || !createKey(keyPath))
        return false;
    Key& key = m_keys[normalise(keyPath).toLower()];
    key.values.insert(name.toLower(), value);
    key.names.insert(name.toLower(), name);
    return true;
}

std::optional<QString> RegistryStore::defaultValue(const QString& keyPath) const {
    const auto key = m_keys.constFind(normalise(keyPath).toLower());
    if (key == m_keys.cend() || !key->defaultValue)
        return std::nullopt;
    return cp932::decode(*key->defaultValue);
}

bool RegistryStore::setDefaultValue(const QString& keyPath, const QString& text) {
    if (!createKey(keyPath))
        return false;
    m_keys[normalise(keyPath).toLower()].defaultValue = cp932::encode(text);
    return true;
}

} // namespace tanzo
