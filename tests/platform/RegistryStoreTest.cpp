#include "platform/RegistryStore.h"

#include "platform/Cp932.h"
#include "support/FailingWriters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tanzo {
namespace {

using Type = RegistryStore::Type;
using Value = RegistryStore::Value;

const QString kKey = QStringLiteral("Software\\Merovane\\Tanzo\\Settings");

class RegistryStoreTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("cfg/settings.reg")); }
    void writeFile(const QByteArray& bytes) {
        QDir().mkpath(m_dir.filePath("cfg"));
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readFile(const QString& where) const {
        QFile f(where);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir m_dir;
};

TEST_F(RegistryStoreTest, SavedValuesReadBackExactly) {
    const Value shortValue{Type::Binary, QByteArray("\xff\xff", 2)};
    const Value colour{Type::Binary, QByteArray("\x00\xff\xff\x00", 4)};
    const Value font{Type::String, cp932::encode(QStringLiteral("ＭＳ ゴシック"))};
    const Value tricky{Type::String, cp932::encode(QStringLiteral("C:\\a \"b\"\r\nc"))};
    const Value rawBytes{Type::String, QByteArray("\x81\x00\xff", 3)}; // not text in any page
    {
        RegistryStore store(path());
        ASSERT_TRUE(store.load());
        ASSERT_TRUE(store.setValue(kKey, "TopMost", shortValue));
        ASSERT_TRUE(store.setValue(kKey, "BackColor", colour));
        ASSERT_TRUE(store.setValue(kKey, "FontName", font));
        ASSERT_TRUE(store.setValue(kKey, "SoundFile", tricky));
        ASSERT_TRUE(store.setValue(kKey, "Raw", rawBytes));
        ASSERT_TRUE(store.setDefaultValue(kKey + "\\FontName", QStringLiteral("ＭＳ 明朝")));
        ASSERT_TRUE(store.save());
    }
    // The file is readable text; Japanese stays legible in it.
    EXPECT_TRUE(QString::fromUtf8(readFile(path())).contains(QStringLiteral("\"ＭＳ ゴシック\"")));

    RegistryStore store(path());
    ASSERT_TRUE(store.load());
    EXPECT_FALSE(store.damaged());
    EXPECT_EQ(store.value(kKey, "TopMost"), shortValue);
    EXPECT_EQ(store.value(kKey, "BackColor"), colour);
    EXPECT_EQ(store.value(kKey, "FontName"), font);
    EXPECT_EQ(store.value(kKey, "FontName")->data.size(), 13); // code page 932 widths
    EXPECT_EQ(store.value(kKey, "SoundFile"), tricky);
    EXPECT_EQ(store.value(kKey, "Raw"), rawBytes);
    EXPECT_EQ(store.defaultValue(kKey + "\\FontName"), QStringLiteral("ＭＳ 明朝"));
    EXPECT_FALSE(store.defaultValue(kKey).has_value());
}

TEST_F(RegistryStoreTest, KeyPathsAndNamesIgnoreCase) {
    RegistryStore store(path());
    ASSERT_TRUE(store.createKey(kKey));
    EXPECT_TRUE(store.keyExists("software\\MEROVANE\\tanzo"));
    EXPECT_TRUE(store.keyExists("\\SOFTWARE\\Merovane\\Tanzo\\settings\\"));
    ASSERT_TRUE(store.setValue(kKey.toUpper(), "fontsize", {Type::Binary, "\x09\x00"}));
    EXPECT_TRUE(store.value(kKey, "FontSize").has_value());
    EXPECT_FALSE(store.value(kKey, "FontBold").has_value());
    EXPECT_FALSE(store.value("Software\\Other", "FontSize").has_value());
}

TEST_F(RegistryStoreTest, DeletesOnlyKeysWithoutSubkeys) {
    RegistryStore store(path());
    ASSERT_TRUE(store.setDefaultValue(kKey + "\\SoundFile", "x"));
    EXPECT_FALSE(store.deleteKey(kKey));
    EXPECT_FALSE(store.deleteKey(kKey + "\\Missing"));
    EXPECT_TRUE(store.deleteKey(kKey + "\\soundfile"));
    EXPECT_FALSE(store.keyExists(kKey + "\\SoundFile"));
    EXPECT_TRUE(store.keyExists(kKey));
}

TEST_F(RegistryStoreTest, MissingFileIsAnEmptyStoreAndADirectoryIsNot) {
    RegistryStore missing(path());
    EXPECT_TRUE(missing.load());
    EXPECT_FALSE(missing.keyExists("Software"));

    ASSERT_TRUE(QDir().mkpath(path()));
    RegistryStore directory(path());
    EXPECT_FALSE(directory.load());
    EXPECT_FALSE(directory.save());
}

TEST_F(RegistryStoreTest, DamagedFileIsKeptAsideAndItsReadablePartUsed) {
    const QByteArray damaged = "REGEDIT4\n\n[Software\\Merovane\\Tanzo\\Settings]\n"
                               "\"FontSize\"=hex:0c,00\n"
                               "\"Interval\"=hex:zz,00\n"
                               "this line means nothing\n"
                               "\"TopMost\"=\"unterminated\n"
                               "\x01\x02\xff\xfe\x00binary\n"
                               "\"ShowTask\"=hex:ff,ff\n";
    writeFile("an older damaged copy");
    QFile::rename(path(), path() + ".damaged");
    writeFile(damaged);

    RegistryStore store(path());
    ASSERT_TRUE(store.load());
    EXPECT_TRUE(store.damaged());
    EXPECT_EQ(store.damagedCopyPath(), path() + ".damaged.1");
    EXPECT_EQ(readFile(path() + ".damaged.1"), damaged);
    EXPECT_EQ(readFile(path() + ".damaged"), "an older damaged copy");
    EXPECT_EQ(store.value(kKey, "FontSize")->data, QByteArray("\x0c\x00", 2));
    EXPECT_EQ(store.value(kKey, "ShowTask")->data, QByteArray("\xff\xff", 2));
    EXPECT_FALSE(store.value(kKey, "Interval").has_value());
    EXPECT_FALSE(store.value(kKey, "TopMost").has_value());

    // Opening the same damaged file again does not pile up copies.
    ASSERT_TRUE(store.load());
    EXPECT_FALSE(QFile::exists(path() + ".damaged.2"));

    // Saving writes a clean file.
    ASSERT_TRUE(store.save());
    RegistryStore reread(path());
    ASSERT_TRUE(reread.load());
    EXPECT_FALSE(reread.damaged());
    EXPECT_EQ(reread.value(kKey, "FontSize")->data, QByteArray("\x0c\x00", 2));
}

TEST_F(RegistryStoreTest, FailedWritesLeaveTheFileAsItWas) {
    test::WriteFailures failures;
    RegistryStore store(path(), failures.factory());
    ASSERT_TRUE(store.setValue(kKey, "FontSize", {Type::Binary, "\x09\x00"}));
    ASSERT_TRUE(store.save());
    const QByteArray saved = readFile(path());

    failures.failAfterWrites = 0;
    EXPECT_TRUE(store.setValue(kKey, "FontSize", {Type::Binary, "\x0a\x00"}));
    EXPECT_TRUE(store.setDefaultValue(kKey, "x"));
    EXPECT_TRUE(store.createKey("Software\\New"));
    EXPECT_FALSE(store.save());
    EXPECT_EQ(readFile(path()), saved);
    EXPECT_EQ(QDir(m_dir.filePath("cfg")).entryList(QDir::Files), QStringList{"settings.reg"})
        << "no half-written file is left beside it";

    // Once the disk takes writes again, what was changed meanwhile is written.
    failures.failAfterWrites = -1;
    ASSERT_TRUE(store.save());
    RegistryStore reread(path());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.value(kKey, "FontSize")->data, QByteArray("\x0a"));
    EXPECT_TRUE(reread.keyExists("Software\\New"));

    QFile blocker(m_dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryStore underFile(m_dir.filePath("blocker/settings.reg"));
    EXPECT_FALSE(underFile.save());
}

} // namespace
} // namespace tanzo
