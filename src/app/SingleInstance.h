#pragma once
// One running copy per installation folder on the machine, whoever starts it
// and from whatever environment (a desktop session, cron, su, ssh). The lock
// is a Unix socket bound in the abstract namespace under a name made from the
// canonical application folder: the namespace is shared by every user of the
// machine, needs no file (so no runtime folder, no /tmp and no permissions
// decide who sees it), and the kernel frees the name when the holder ends,
// even by a crash. Two users with their own copies in their own folders have
// two names and both run.

#include <QString>

namespace kolva {

class SingleInstance {
public:
    explicit SingleInstance(const QString &appPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this process now holds the lock (or already held it).
    bool tryAcquire();
    // The abstract socket name, without its leading NUL byte.
    QByteArray lockName() const { return m_name; }

    // The message a second copy shows: title, "(版本 ", version, ")已运行！".
    static QString alreadyRunningText();

private:
    QByteArray m_name;
    int m_fd = -1;
};

} // namespace kolva
