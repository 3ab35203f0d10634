#include "RegistryStore.h"

#include "platform/SafeFiles.h"

#include "Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace tanzo {
RegistryStore::RegistryStore(QString filePath, AtomicWriterFactory writers)
    : m_filePath(std::move(filePath)), m_writers(std::move(writers)) {}

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
    RegistryReading reading = readRegistryText(bytes);
    m_keys = std::move(reading.tree.keys);
    m_keyNames = std::move(reading.tree.keyNames);
    m_damaged = reading.damaged;
    return !m_damaged;
}

QByteArray RegistryStore::serialise() const {
    return writeRegistryText({m_keys, m_keyNames});
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
    const QString norm = normaliseKeyPath(path);
    if (norm.isEmpty())
        return false;
    if (keyExists(norm))
        return true;
    const QStringList parts = norm.split(QLatin1Char('\\'));
    for (qsizetype n = 1; n <= parts.size(); ++n) {
        const QString sub = parts.first(n).join(QLatin1Char('\\'));
        const QString lower = sub.toLower();
        if (!m_keys.contains(lower)) {
            m_keys.insert(lower, RegistryKey{});
            m_keyNames.insert(lower, sub);
        }
    }
    return true;
}

bool RegistryStore::keyExists(const QString& path) const {
    return m_keys.contains(normaliseKeyPath(path).toLower());
}

bool RegistryStore::deleteKey(const QString& path) {
    const QString lower = normaliseKeyPath(path).toLower();
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
    const auto key = m_keys.constFind(normaliseKeyPath(keyPath).toLower());
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
    RegistryKey& key = m_keys[normaliseKeyPath(keyPath).toLower()];
    key.values.insert(name.toLower(), value);
    key.names.insert(name.toLower(), name);
    return true;
}

std::optional<QString> RegistryStore::defaultValue(const QString& keyPath) const {
    const auto key = m_keys.constFind(normaliseKeyPath(keyPath).toLower());
    if (key == m_keys.cend() || !key->defaultValue)
        return std::nullopt;
    return cp932::decode(*key->defaultValue);
}

bool RegistryStore::setDefaultValue(const QString& keyPath, const QString& text) {
    if (!createKey(keyPath))
        return false;
    m_keys[normaliseKeyPath(keyPath).toLower()].defaultValue = cp932::encode(text);
    return true;
}

} // namespace tanzo
