#include "base/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kolva {

namespace {

// Writes every byte; a write that makes no progress is a full disk.
bool writeAll(int fd, const char *data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Temporary files are ".<name>.tmp-<random>": a name that only this writer
// makes, so a leftover can be told from the user's own files.
QByteArray temporaryPrefix(const QByteArray &name) {
    return '.' + name + ".tmp-";
}

// A new temporary file beside the target, created with 0666 less the umask
// (as any new file), or -1.
int createTemporary(const QByteArray &folder, const QByteArray &name, QByteArray &temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder + '/' + temporaryPrefix(name) +
               QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A write killed between creating its temporary file and the rename (power
// cut, SIGKILL) leaves the temporary behind; the next write of the same file
// removes those of its own name older than StaleSeconds. A younger one may be
// a write in flight in another process: it stays.
void removeStaleTemporaries(const QByteArray &folder, const QByteArray &name) {
    constexpr time_t StaleSeconds = 600;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const QByteArray prefix = temporaryPrefix(name);
    const time_t now = ::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.constData(), size_t(prefix.size())) != 0)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && now - st.st_mtime > StaleSeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *reason) {
    QFileInfo info(path);
    // A link stays a link: the file it names is the one replaced.
    if (info.isSymLink() && info.exists())
        info = QFileInfo(info.canonicalFilePath());
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    auto fail = [&](const char *what, int err) {
        if (reason) {
            *reason = QStringLiteral("%1（%2）")
                          .arg(QString::fromUtf8(what), QString::fromLocal8Bit(std::strerror(err)));
        }
        return false;
    };

    QByteArray temp;
    const int fd = createTemporary(folder, QFile::encodeName(info.fileName()), temp);
    if (fd < 0)
        return fail("无法创建临时文件", errno);
    struct stat old {};
    if (::stat(target.constData(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp.constData());
        return fail("无法保留原文件的权限", err);
    }
    int err = 0;
    struct stat written {};
    if (!writeAll(fd, bytes.constData(), bytes.size()) || ::fsync(fd) != 0 ||
        ::fstat(fd, &written) != 0)
        err = errno;
    else if (written.st_size != bytes.size())
        err = EIO; // the file does not hold what was written: never taken as saved
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.constData());
        return fail("写入失败", err);
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        err = errno;
        ::unlink(temp.constData());
        return fail("无法替换原文件", err);
    }
    // The rename itself reaches the disk with the folder. It has already
    // happened, so a failure here cannot bring the old file back: not reported.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    removeStaleTemporaries(folder, QFile::encodeName(info.fileName()));
    return true;
}

bool renameWithoutReplacing(const QString &from, const QString &to, QString *reason) {
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    auto fail = [&](int err) {
        if (reason) {
            *reason =
                QStringLiteral("%1（%2）")
                    .arg(err == EEXIST ? QStringLiteral("目标已存在") : QStringLiteral("无法改名"),
                         QString::fromLocal8Bit(std::strerror(err)));
        }
        return false;
    };
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return fail(errno);
    // A file system without RENAME_NOREPLACE: a hard link refuses a taken
    // name just as well; the old name goes only once the new one holds it.
    if (::link(src.constData(), dst.constData()) != 0)
        return fail(errno);
    if (::unlink(src.constData()) != 0) {
        const int err = errno;
        ::unlink(dst.constData());
        return fail(err);
    }
    return true;
}

} // namespace kolva
