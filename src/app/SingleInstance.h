#pragma once
// One running copy per installation folder. The lock is an flock() on a file
// named after the application folder in the user's runtime folder; the kernel
// releases it when the process ends, even by a crash, so a stale lock never
// keeps the program from starting.

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
    QString lockFilePath() const { return m_lockPath; }

    // The message a second copy shows: title, "(版本 ", version, ")已运行！".
    static QString alreadyRunningText();

private:
    QString m_lockPath;
    int m_fd = -1;
};

} // namespace kolva
