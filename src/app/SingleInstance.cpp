#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "Version.h"

namespace kolva {

namespace {
QString runtimeFolder() {
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(QString::fromLocal8Bit(xdg)).isDir())
        return QString::fromLocal8Bit(xdg);
    return QDir::tempPath();
}
} // namespace

SingleInstance::SingleInstance(const QString &appPath) {
    // The canonical folder, so two paths to the same installation share a lock.
    QString canonical = QFileInfo(appPath).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(QDir(appPath).absolutePath());
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_lockPath = runtimeFolder() + QStringLiteral("/kolva-%1-%2.lock")
                                       .arg(QString::number(::getuid()), QString::fromLatin1(hash));
}

SingleInstance::~SingleInstance() {
    if (m_fd >= 0)
        ::close(m_fd);  // closing releases the flock
}

bool SingleInstance::tryAcquire() {
    if (m_fd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(m_lockPath);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;  // no lock can be had at all: better to run than to refuse
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

QString SingleInstance::alreadyRunningText() {
    return QStringLiteral(KOLVA_TITLE) + QStringLiteral("(版本 %1.%2.%3)已运行！")
                                             .arg(KOLVA_VERSION_MAJOR)
                                             .arg(KOLVA_VERSION_MINOR)
                                             .arg(KOLVA_VERSION_PATCH);
}

} // namespace kolva
