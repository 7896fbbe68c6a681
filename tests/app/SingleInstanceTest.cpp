#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "app/SingleInstance.h"

using namespace kolva;

namespace {
// Runs `body` in a child process and returns its exit code (-1 on a signal).
int inChild(const std::function<int()> &body) {
    const pid_t child = fork();
    if (child == 0)
        _exit(body()); // no destructor runs, as in a crash
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

TEST(SingleInstance, OneCopyPerFolderAndReleasedWhenTheHolderDies) {
    QTemporaryDir folderA, folderB;

    SingleInstance first(folderA.path());
    ASSERT_TRUE(first.tryAcquire());
    EXPECT_TRUE(first.tryAcquire());
    SingleInstance second(folderA.path() + "/./"); // same folder, other spelling
    EXPECT_EQ(second.lockName(), first.lockName());
    EXPECT_FALSE(second.tryAcquire());
    SingleInstance other(folderB.path());
    EXPECT_TRUE(other.tryAcquire()); // another installation runs on its own

    // A holder that dies without cleaning up leaves no lock.
    QTemporaryDir folderC;
    EXPECT_EQ(inChild([&] { return SingleInstance(folderC.path()).tryAcquire() ? 0 : 1; }), 0);
    SingleInstance after(folderC.path());
    EXPECT_TRUE(after.tryAcquire());

    EXPECT_EQ(SingleInstance::alreadyRunningText(),
              QStringLiteral("KOLVA定时播放器(版本 3.2.93)已运行！"));
}

// Whatever environment and user start the second copy, it sees the first:
// another runtime folder, none at all (cron, su, ssh), another user.
TEST(SingleInstance, RefusedWhateverEnvironmentOrUserStartsIt) {
    QTemporaryDir folder, runtimeA, runtimeB;
    // An installation everyone may enter, as /opt/kolva.
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                             QFileDevice::ExeOther);
    qputenv("XDG_RUNTIME_DIR", runtimeA.path().toLocal8Bit());
    SingleInstance first(folder.path());
    ASSERT_TRUE(first.tryAcquire());

    const auto refusedWhen = [&](const std::function<void()> &setUp) {
        return inChild([&] {
            setUp();
            return SingleInstance(folder.path()).tryAcquire() ? 0 : 1;
        });
    };
    EXPECT_EQ(refusedWhen([&] { qputenv("XDG_RUNTIME_DIR", runtimeB.path().toLocal8Bit()); }), 1)
        << "other runtime folder";
    EXPECT_EQ(refusedWhen([] { qunsetenv("XDG_RUNTIME_DIR"); }), 1) << "no runtime folder";
    qunsetenv("XDG_RUNTIME_DIR");

    const passwd *nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody)
        GTEST_SKIP() << "cannot switch to another user here (needs root and a 'nobody' user)";
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    EXPECT_EQ(refusedWhen([&] {
                  if (setgid(gid) != 0 || setuid(uid) != 0)
                      _exit(2);
              }),
              1)
        << "another user";
}
