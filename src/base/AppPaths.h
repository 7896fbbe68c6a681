#pragma once
// Where each file of the program lies. Everything the program reads comes
// from the folder of its executable (appPath: pictures, skins, the sample
// media, help). The files it writes lie below the same folder when the
// program may write there (the build folder, a copy in the user's home);
// when it may not (an installation in /opt owned by root), they lie below
// dataPath, $XDG_DATA_HOME/kolva, with the same relative names. Every
// written file goes through writtenFile(), so a new one follows the rule by
// itself. "/" separators, no trailing separator.

#include <QString>
#include <utility>

namespace kolva {

struct AppPaths {
    AppPaths() = default;
    // Everything in `app` (the data folder empty) unless `data` is given.
    AppPaths(QString app, QString data = QString())
        : appPath(std::move(app)), dataPath(std::move(data)) {}

    QString appPath;
    // The folder of the written files; empty means appPath.
    QString dataPath;

    // The paths for an application folder: dataPath stays empty when the
    // folder takes writes, else it is dataHome + "/kolva" (dataHome empty:
    // $XDG_DATA_HOME, by default ~/.local/share).
    static AppPaths forFolder(const QString &appPath, const QString &dataHome = QString());

    // The folder the written files lie in.
    QString writableFolder() const { return dataPath.isEmpty() ? appPath : dataPath; }
    bool usesDataFolder() const { return !dataPath.isEmpty() && dataPath != appPath; }
    // A written file by its name relative to the application folder.
    QString writtenFile(const QString &relative) const {
        return writableFolder() + QLatin1Char('/') + relative;
    }

    // Makes the folders the written files need and, on a first start with a
    // data folder, copies in the application folder's task list (the sample
    // list of an installation) so that the user sees something real. Never
    // replaces a file that exists. Returns a Chinese message for the user
    // when the folder cannot be made or the list not copied, else "".
    QString prepareWritableFolder() const;

    // Written by the program.
    QString taskFile() const { return writtenFile(QStringLiteral("user/task.xtask.dll")); }
    QString playlistFile() const { return writtenFile(QStringLiteral("template.asx.dll")); }
    QString holidayFile() const { return writtenFile(QStringLiteral("user/holidays.txt")); }
    // The program's settings (the sound output), UTF-8.
    QString settingsFile() const { return writtenFile(QStringLiteral("user/settings.ini")); }
    // The play history and its one older generation (historyFile() + ".1").
    QString historyFile() const { return writtenFile(QStringLiteral("user/history.log")); }

    // Read only, always from the application folder.
    QString shippedTaskFile() const { return appPath + QStringLiteral("/user/task.xtask.dll"); }
    QString skinFile() const { return appPath + QStringLiteral("/user/compact.she.dll"); }
    QString statusPicture() const { return appPath + QStringLiteral("/user/pic/1.gif"); }
    QString playPicture() const { return appPath + QStringLiteral("/user/pic/play.gif"); }
    QString pausePicture() const { return appPath + QStringLiteral("/user/pic/pause.gif"); }
    QString handCursor() const { return appPath + QStringLiteral("/user/pic/hand.cur"); }
    QString helpFile() const { return appPath + QStringLiteral("/help.chm"); }
};

} // namespace kolva
