#pragma once
// Every file the program uses lies below the folder of its executable
// (AppPath, "/" separators, no trailing separator).

#include <QString>

namespace kolva {

struct AppPaths {
    QString appPath;

    QString taskFile() const { return appPath + QStringLiteral("/user/task.xtask.dll"); }
    QString playlistFile() const { return appPath + QStringLiteral("/template.asx.dll"); }
    QString skinFile() const { return appPath + QStringLiteral("/user/compact.she.dll"); }
    QString statusPicture() const { return appPath + QStringLiteral("/user/pic/1.gif"); }
    QString playPicture() const { return appPath + QStringLiteral("/user/pic/play.gif"); }
    QString pausePicture() const { return appPath + QStringLiteral("/user/pic/pause.gif"); }
    QString handCursor() const { return appPath + QStringLiteral("/user/pic/hand.cur"); }
    QString helpFile() const { return appPath + QStringLiteral("/help.chm"); }
};

} // namespace kolva
