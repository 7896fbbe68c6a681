#include "base/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace kolva {

namespace {

// access() asks the kernel, so a read-only mount, ACLs and another owner all
// count; QFileInfo only looks at the permission bits.
bool mayWrite(const QString &path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// The folder takes writes when the program may create and replace files in
// it and in its user/ folder (when there is one) and may rewrite the task
// list (when there is one). Replacing needs the folder, not just the file.
bool folderTakesWrites(const QString &appPath) {
    if (!mayWrite(appPath))
        return false;
    const QString user = appPath + QStringLiteral("/user");
    if (QFileInfo::exists(user) && !mayWrite(user))
        return false;
    const QString taskFile = user + QStringLiteral("/task.xtask.dll");
    return !QFileInfo::exists(taskFile) || mayWrite(taskFile);
}

} // namespace

AppPaths AppPaths::forFolder(const QString &appPath, const QString &dataHome) {
    AppPaths paths{appPath, QString()};
    if (folderTakesWrites(appPath))
        return paths;
    QString home = dataHome;
    if (home.isEmpty())
        home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    paths.dataPath = QDir::cleanPath(home) + QStringLiteral("/kolva");
    return paths;
}

QString AppPaths::prepareWritableFolder() const {
    const QString folder = writableFolder();
    if (!QDir().mkpath(folder + QStringLiteral("/user")))
        return QStringLiteral("无法创建数据文件夹：%1").arg(QDir::toNativeSeparators(folder));
    if (!usesDataFolder() || QFileInfo::exists(taskFile()) || !QFileInfo::exists(shippedTaskFile()))
        return QString();
    // QFile::copy writes a temporary file beside the target and renames it,
    // so an interrupted first start leaves no half list behind.
    QFile source(shippedTaskFile());
    if (!source.copy(taskFile()))
        return QStringLiteral("无法复制示例任务列表到 %1：%2")
            .arg(QDir::toNativeSeparators(taskFile()), source.errorString());
    // The copy keeps the install's read-only mode; the user edits it now.
    QFile::setPermissions(taskFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return QString();
}

} // namespace kolva
