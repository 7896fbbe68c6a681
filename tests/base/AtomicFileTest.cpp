// The one atomic file writer: every failure keeps the old file, says why and
// leaves no temporary file; a success replaces the file, keeping its mode.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "support/FileSizeLimit.h"

using namespace kolva;
using kolva::test::withSizeLimit;

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

mode_t modeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

} // namespace

TEST(AtomicFile, ReplacesTheFileKeepingItsModeAndLinks) {
    QTemporaryDir dir;
    const QString path = dir.filePath("list.dll");
    ASSERT_TRUE(writeFileAtomically(path, "first"));
    EXPECT_EQ(readAll(path), "first");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(writeFileAtomically(path, "second, longer"));
    EXPECT_EQ(readAll(path), "second, longer");
    EXPECT_EQ(modeOf(path), 0600u);
    // A temporary left by a killed write goes once it is old; a young one
    // (a write in flight elsewhere) and the user's own hidden files stay.
    const QStringList others = {".list.dll.tmp-young", ".list.dll.old", ".other.dll.tmp-1"};
    for (const QString &name : others + QStringList{".list.dll.tmp-killed"})
        ASSERT_TRUE(writeFileAtomically(dir.filePath(name), "x"));
    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString &name :
         {QString(".list.dll.tmp-killed"), QString(".list.dll.old"), QString(".other.dll.tmp-1")}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) &&
                    f.setFileTime(hourAgo, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(writeFileAtomically(path, ""));
    EXPECT_EQ(readAll(path), "");
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.removeOne("list.dll");
    EXPECT_EQ(QSet<QString>(left.begin(), left.end()), QSet<QString>(others.begin(), others.end()));

    // Through a link: the file it names changes, the link stays.
    ASSERT_TRUE(QFile::link(path, dir.filePath("link.dll")));
    ASSERT_TRUE(writeFileAtomically(dir.filePath("link.dll"), "via link"));
    EXPECT_TRUE(QFileInfo(dir.filePath("link.dll")).isSymLink());
    EXPECT_EQ(readAll(path), "via link");
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFileAndSaysWhy) {
    QTemporaryDir dir;
    const QString path = dir.filePath("list.dll");
    ASSERT_TRUE(writeFileAtomically(path, "old"));
    QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir("ro");
    QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner);

    const QByteArray big(64 * 1024, 'x');
    struct Case {
        const char *what;
        QString target;
        rlim_t sizeLimit; // 0: none
        const char *reason;
    };
    const Case cases[] = {
        {"full disk", path, 4096, "写入失败"},
        {"folder is a file", dir.filePath("file/x"), 0, "无法创建临时文件"},
        {"read-only folder", dir.filePath("ro/x"), 0, "无法创建临时文件"},
    };
    for (const Case &c : cases) {
        if (c.target.contains("/ro/") && ::geteuid() == 0)
            continue; // root writes anywhere
        QString reason;
        const auto write = [&] { return writeFileAtomically(c.target, big, &reason); };
        EXPECT_FALSE(c.sizeLimit ? withSizeLimit(c.sizeLimit, write) : write()) << c.what;
        EXPECT_TRUE(reason.startsWith(QString::fromUtf8(c.reason)))
            << c.what << ": " << reason.toStdString();
        EXPECT_TRUE(reason.endsWith(QStringLiteral("）"))) << c.what; // with the system's reason
    }
    EXPECT_EQ(readAll(path), "old");
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\.")),
        QStringList());
    QFile::setPermissions(dir.filePath("ro"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
