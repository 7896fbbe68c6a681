#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/AppPaths.h"

using namespace kolva;

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QFileDevice::Permissions everyoneReads = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                               QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                               QFileDevice::ReadOther | QFileDevice::ExeOther;

// Starts the program's way of finding its paths as a user who may not write
// the application folder: `nobody` when the test runs as root (root may write
// anything), else the test's own user after the folder was made read-only.
// The child writes the task file and playlist paths it chose into `report`.
bool decideAsOtherUser(const QString &appPath, const QString &dataHome, const QString &report,
                       bool readOnly) {
    const passwd *nobody = getpwnam("nobody");
    const bool switchUser = readOnly && geteuid() == 0 && nobody;
    if (readOnly && !switchUser)
        for (const QString &d : {appPath, appPath + "/user"})
            QFile::setPermissions(d, everyoneReads);
    const pid_t child = fork();
    if (child == 0) {
        if (switchUser && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
            _exit(2);
        const AppPaths paths = AppPaths::forFolder(appPath, dataHome);
        const QString problem = paths.prepareWritableFolder();
        QFile out(report);
        if (!out.open(QIODevice::WriteOnly))
            _exit(3);
        out.write((paths.taskFile() + "\n" + paths.playlistFile() + "\n" + paths.skinFile() + "\n" +
                   problem)
                      .toUtf8());
        out.close();
        // The new list must be the user's to rewrite.
        _exit(QFileInfo::exists(paths.taskFile()) &&
                      ::access(QFile::encodeName(paths.taskFile()).constData(), W_OK) != 0
                  ? 4
                  : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// Written files stay beside the program while its folder takes writes and go
// to the data folder when not; read-only files always come from the program's
// folder; a first start in the data folder gets the shipped list, a later one
// keeps the user's own.
TEST(AppPaths, WrittenFilesGoWhereTheUserMayWrite) {
    struct Case {
        const char *name;
        bool readOnly;
        bool shipped;        // the application folder has a task list
        bool userHasList;    // the data folder has one already
        bool expectData;     // written files under the data folder
        QByteArray expected; // task list content after the start
    };
    const Case cases[] = {
        {"writable folder", false, true, false, false, "shipped"},
        {"read-only, first start", true, true, false, true, "shipped"},
        {"read-only, later start", true, true, true, true, "mine"},
        {"read-only, nothing shipped", true, false, false, true, "<missing>"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        QFile::setPermissions(root.path(), everyoneReads | QFileDevice::WriteOwner);
        const QString app = root.path() + "/opt/kolva";
        const QString dataHome = root.path() + "/home/.local/share";
        QDir().mkpath(app + "/user");
        QDir().mkpath(dataHome);
        QFile::setPermissions(root.path() + "/opt", everyoneReads);
        for (const QString &d : {root.path() + "/home", root.path() + "/home/.local", dataHome})
            QFile::setPermissions(d, QFileDevice::Permissions(0x7777)); // world-writable
        if (c.shipped)
            writeFile(app + "/user/task.xtask.dll", "shipped");
        const QString data = dataHome + "/kolva";
        if (c.userHasList)
            writeFile(data + "/user/task.xtask.dll", "mine");
        if (c.userHasList)
            for (const QString &d : {data, data + "/user", data + "/user/task.xtask.dll"})
                QFile::setPermissions(d, QFileDevice::Permissions(0x7777));
        const QString report = dataHome + "/report.txt";

        ASSERT_TRUE(decideAsOtherUser(app, dataHome, report, c.readOnly));
        const QStringList chosen = QString::fromUtf8(readFile(report)).split('\n');
        ASSERT_EQ(chosen.size(), 4);
        const QString writtenBase = c.expectData ? data : app;
        EXPECT_EQ(chosen[0], writtenBase + "/user/task.xtask.dll");
        EXPECT_EQ(chosen[1], writtenBase + "/template.asx.dll");
        EXPECT_EQ(chosen[2], app + "/user/compact.she.dll");
        EXPECT_EQ(chosen[3], QString()) << "no problem reported";
        EXPECT_EQ(readFile(chosen[0]), c.expected);
        EXPECT_TRUE(QFileInfo(writtenBase + "/user").isDir()) << "room for the list";
        if (c.expectData && c.shipped) {
            EXPECT_EQ(readFile(app + "/user/task.xtask.dll"), "shipped") << "install untouched";
        }
        // QTemporaryDir must be able to remove what the child made.
        QFile::setPermissions(app, everyoneReads | QFileDevice::WriteOwner);
        QFile::setPermissions(app + "/user", everyoneReads | QFileDevice::WriteOwner);
    }
}

// Without a data home given, $XDG_DATA_HOME decides, and the program's folder
// is used as it is when it takes writes.
TEST(AppPaths, DataFolderFollowsXdgDataHome) {
    QTemporaryDir xdg;
    qputenv("XDG_DATA_HOME", xdg.path().toLocal8Bit());
    const AppPaths readOnly = AppPaths::forFolder(xdg.path() + "/absent"); // cannot be written
    EXPECT_EQ(readOnly.playlistFile(), xdg.path() + "/kolva/template.asx.dll");
    QTemporaryDir app;
    EXPECT_EQ(AppPaths::forFolder(app.path()).taskFile(), app.path() + "/user/task.xtask.dll");
    EXPECT_EQ(AppPaths{app.path()}.writtenFile("user/x"), app.path() + "/user/x");
    qunsetenv("XDG_DATA_HOME");
}
