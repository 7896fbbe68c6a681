#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "Version.h"

namespace kolva {

SingleInstance::SingleInstance(const QString &appPath) {
    // The canonical folder, so two paths to the same installation (a symlink,
    // "/./") share a name.
    QString canonical = QFileInfo(appPath).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(QDir(appPath).absolutePath());
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    m_name = QByteArrayLiteral("kolva-") + hash;
}

SingleInstance::~SingleInstance() {
    if (m_fd >= 0)
        ::close(m_fd); // frees the name
}

bool SingleInstance::tryAcquire() {
    if (m_fd >= 0)
        return true;
    // CLOEXEC: a power-off command started by the program must not inherit
    // the name and keep a new copy from starting after this one ended.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return true; // no lock can be had at all: better to run than to refuse
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // sun_path[0] = '\0' puts the name in the abstract namespace.
    std::memcpy(address.sun_path + 1, m_name.constData(), size_t(m_name.size()));
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + m_name.size());
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), length) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EADDRINUSE)
            return false;
        // Any other failure (no Unix sockets in a sandbox) must not keep the
        // only copy from running.
        fprintf(stderr, "kolva: single-instance lock unavailable (%s)\n", std::strerror(error));
        return true;
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
