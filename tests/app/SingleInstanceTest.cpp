#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

#include "app/SingleInstance.h"

using namespace kolva;

TEST(SingleInstance, OneCopyPerFolderAndReleasedWhenTheHolderDies) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QTemporaryDir folderA, folderB;

    SingleInstance first(folderA.path());
    ASSERT_TRUE(first.tryAcquire());
    EXPECT_TRUE(first.tryAcquire());
    SingleInstance second(folderA.path() + "/./"); // same folder, other spelling
    EXPECT_EQ(second.lockFilePath(), first.lockFilePath());
    EXPECT_FALSE(second.tryAcquire());
    SingleInstance other(folderB.path());
    EXPECT_TRUE(other.tryAcquire()); // another installation runs on its own

    // A holder that dies without cleaning up (as in a crash) leaves no lock.
    QTemporaryDir folderC;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance held(folderC.path());
        _exit(held.tryAcquire() ? 0 : 1); // no destructor runs
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    SingleInstance after(folderC.path());
    EXPECT_TRUE(after.tryAcquire());

    EXPECT_EQ(SingleInstance::alreadyRunningText(),
              QStringLiteral("KOLVA定时播放器(版本 3.2.93)已运行！"));
    qunsetenv("XDG_RUNTIME_DIR");
}
