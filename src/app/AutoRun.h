#pragma once
// Start at log-on: an XDG autostart entry "KOLVA定时播放器.desktop" in the
// user's autostart folder ($XDG_CONFIG_HOME/autostart, by default
// ~/.config/autostart). The entry being present means the box is ticked; its
// Exec line is not compared with the running program (a stale path stays until
// the user clears and ticks the box again). A failure is told in Chinese with
// the path and the reason, and leaves the old entry whole.

#include <QString>

namespace kolva {

class AutoRun {
public:
    // autostartDir: the folder that holds the entry; executablePath: the full
    // path of the running program, written into Exec.
    AutoRun(QString autostartDir, QString executablePath);

    // The autostart folder of the current user from the environment
    // (XDG_CONFIG_HOME when set and absolute, else $HOME/.config).
    static QString userAutostartDir();

    bool isAutoRun() const;
    // true writes (or rewrites) the entry in full or not at all, false
    // removes it. False when that failed, with the message for the error line
    // in *error; whatever was there stays.
    bool setAutoRun(bool on, QString *error = nullptr) const;

    QString entryPath() const;
    // The whole entry text for the given executable (exposed for tests).
    static QString entryText(const QString &executablePath);
    // The executable path as one quoted argument of an Exec key.
    static QString quoteExecArgument(const QString &path);

private:
    QString m_dir;
    QString m_executable;
};

} // namespace kolva
