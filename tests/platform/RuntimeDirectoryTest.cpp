#include "platform/RuntimeDirectory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tanzo {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

QString makeDirectory(const QString& path, mode_t mode) {
    EXPECT_EQ(::mkdir(QFile::encodeName(path).constData(), mode), 0);
    EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    return path;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class RuntimeDirectoryTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    // The fallback goes to a temporary folder of the test's own.
    ScopedEnv m_tmp{"TMPDIR", makeDirectory(m_dir.filePath("tmp"), 01777)};
    const QString m_fallback = m_dir.filePath("tmp") + QStringLiteral("/tanzo-%1").arg(::geteuid());
};

TEST_F(RuntimeDirectoryTest, TakesARuntimeDirectoryOnlyWhenItIsTheUsersAlone) {
    const QString own = makeDirectory(m_dir.filePath("own"), 0700);
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", own + QStringLiteral("/"));
        EXPECT_EQ(privateRuntimeDirectory(), own);
    }
    // Group or others able to enter, read or write; a link, even to a
    // private directory; a relative path: the fallback is used instead.
    const QStringList refused = {makeDirectory(m_dir.filePath("group-writable"), 0770),
                                 makeDirectory(m_dir.filePath("others-enter"), 0701),
                                 makeDirectory(m_dir.filePath("group-read"), 0740)};
    const QString link = m_dir.filePath("link");
    ASSERT_TRUE(QFile::link(own, link));
    for (const QString& runtime : refused + QStringList{link, QStringLiteral("own")}) {
        ScopedEnv env("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(privateRuntimeDirectory(), m_fallback) << qPrintable(runtime);
    }
}

TEST_F(RuntimeDirectoryTest, FallbackIsMadePrivateOrRefusedWhenSomeoneElseCouldReachIt) {
    ScopedEnv runtime("XDG_RUNTIME_DIR", QString());
    EXPECT_EQ(privateRuntimeDirectory(), m_fallback);
    EXPECT_EQ(modeOf(m_fallback), 0700u);
    EXPECT_EQ(privateRuntimeDirectory(), m_fallback); // there already: taken again

    // Left open by someone: refused with the reason, and nothing is changed.
    ASSERT_EQ(::chmod(QFile::encodeName(m_fallback).constData(), 0777), 0);
    QString error;
    EXPECT_TRUE(privateRuntimeDirectory(&error).isEmpty());
    EXPECT_TRUE(error.contains(m_fallback));
    EXPECT_EQ(modeOf(m_fallback), 0777u);

    // A link put in its place, even to a private directory.
    ASSERT_TRUE(QDir(m_fallback).removeRecursively());
    ASSERT_TRUE(QFile::link(makeDirectory(m_dir.filePath("elsewhere"), 0700), m_fallback));
    EXPECT_TRUE(privateRuntimeDirectory().isEmpty());
}

TEST_F(RuntimeDirectoryTest, DirectoryOfAnotherOwnerIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a directory of another user takes root";
    const QString theirs = makeDirectory(m_dir.filePath("theirs"), 0700);
    ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
    ScopedEnv runtime("XDG_RUNTIME_DIR", theirs);
    EXPECT_EQ(privateRuntimeDirectory(), m_fallback);

    // The fallback just made, now another's.
    ASSERT_EQ(::chown(QFile::encodeName(m_fallback).constData(), 65534, 65534), 0);
    EXPECT_TRUE(privateRuntimeDirectory().isEmpty());
}

} // namespace
} // namespace tanzo
