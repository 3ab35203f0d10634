#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

namespace tanzo {

// The settings file's text, in UTF-8: the registry's export format
// (REGEDIT4), a line with the key's path in brackets for each key, followed
// by the lines of its values.

struct RegistryValue {
    enum class Type { Binary, String };
    Type type = Type::Binary;
    QByteArray data; // binary bytes, or code page 932 bytes without NUL
    bool operator==(const RegistryValue&) const = default;
};

struct RegistryKey {
    std::optional<QByteArray> defaultValue;
    QMap<QString, RegistryValue> values; // keyed by lower-case name
    QMap<QString, QString> names;        // lower-case name -> name as written
};

struct RegistryTree {
    QMap<QString, RegistryKey> keys; // keyed by lower-case normalised path
    QMap<QString, QString> keyNames; // lower-case path -> path as written
};

struct RegistryReading {
    RegistryTree tree;
    bool damaged = false; // some line (or the encoding) could not be read
};

// A key path without empty parts: doubled, leading and trailing separators
// are dropped.
QString normaliseKeyPath(const QString& path);

// Reads the text; what cannot be read is left out and marks it damaged, the
// readable part is kept.
RegistryReading readRegistryText(const QByteArray& bytes);

// The text of the tree. Text values that would not survive the trip through
// UTF-8 are written as hex, so that a save never changes a stored byte.
QByteArray writeRegistryText(const RegistryTree& tree);

} // namespace tanzo
