#pragma once

#include "AtomicWriter.h"
#include "RegistryText.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

namespace tanzo {

// The per-user stand-in for the registry: a tree of keys (paths written with
// "\"), each holding named values of binary or string type and an optional
// default (unnamed) value. It lives in one text file that is written
// atomically. String data is kept as code page 932 bytes, so that byte
// widths behave as they do in the registry.
class RegistryStore {
public:
    using Type = RegistryValue::Type;
    using Value = RegistryValue;

    // The file is written through writers made by `writers`.
    explicit RegistryStore(QString filePath, AtomicWriterFactory writers = makeSaveFileWriter);

    QString filePath() const { return m_filePath; }

    // Reads the file. A missing file is an empty store. A damaged file is
    // copied aside (its name plus ".damaged") before the readable part is
    // used, so nothing is thrown away silently; damaged() then tells so.
    // Returns false only when the file exists and cannot be read at all.
    bool load();
    // The reading rules of load() over bytes already at hand, with no file
    // touched: replaces the content, returns false when the bytes are
    // damaged (the readable part is used all the same).
    bool parse(const QByteArray& bytes);
    // The file's content as save() writes it.
    QByteArray serialise() const;
    bool damaged() const { return m_damaged; }
    QString damagedCopyPath() const { return m_damagedCopy; }

    // Writes the whole store atomically; false when the file cannot be
    // written (the previous file then stays as it was). A damaged file that
    // could not be copied aside when it was read is copied now, and is not
    // overwritten while that fails.
    bool save();

    // Creates the key (and its parents) when missing; true when it exists.
    bool createKey(const QString& path);
    bool keyExists(const QString& path) const;
    // Deletes a key; one that still has subkeys is kept (false).
    bool deleteKey(const QString& path);

    std::optional<Value> value(const QString& keyPath, const QString& name) const;
    bool setValue(const QString& keyPath, const QString& name, const Value& value);

    // The default (unnamed) value of a key, as text.
    std::optional<QString> defaultValue(const QString& keyPath) const;
    bool setDefaultValue(const QString& keyPath, const QString& text);

private:
    bool keepDamagedCopy();

    QString m_filePath;
    AtomicWriterFactory m_writers;
    QMap<QString, RegistryKey> m_keys; // keyed by lower-case normalised path
    QMap<QString, QString> m_keyNames;
    bool m_damaged = false;
    QString m_damagedCopy;
    QByteArray m_damagedBytes;   // content of the damaged file last kept aside
    bool m_damageUnkept = false; // the file on disk is damaged and has no copy
};

} // namespace tanzo
