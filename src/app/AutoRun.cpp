#include "app/AutoRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "Version.h"
#include "base/AtomicFile.h"

namespace kolva {

AutoRun::AutoRun(QString autostartDir, QString executablePath)
    : m_dir(std::move(autostartDir)), m_executable(std::move(executablePath)) {}

QString AutoRun::userAutostartDir() {
    // The XDG base directory rules: a relative XDG_CONFIG_HOME is invalid and
    // must be ignored.
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty() && QDir::isAbsolutePath(configHome))
        return configHome + QStringLiteral("/autostart");
    return QDir::homePath() + QStringLiteral("/.config/autostart");
}

QString AutoRun::entryPath() const {
    return m_dir + QLatin1Char('/') + QStringLiteral(KOLVA_TITLE) + QStringLiteral(".desktop");
}

bool AutoRun::isAutoRun() const {
    return QFile::exists(entryPath());
}

QString AutoRun::quoteExecArgument(const QString &path) {
    // Two layers: inside a double-quoted Exec argument the characters ", `, $ and
    // backslash take a backslash; then the key's string value escapes every backslash
    // once more. A literal % is written %% (field codes start with %).
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("%"), QLatin1String("%%"));
    // A line break would end the key; it cannot be part of a usable path here.
    quoted.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    quoted.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString AutoRun::entryText(const QString &executablePath) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Exec=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(QStringLiteral(KOLVA_TITLE), quoteExecArgument(executablePath));
}

bool AutoRun::setAutoRun(bool on, QString *error) const {
    const QString path = QDir::toNativeSeparators(entryPath());
    const auto fail = [&](const QString &what, const QString &why) {
        if (error)
            *error = QStringLiteral("%1：%2，%3").arg(what, path, why);
        return false;
    };
    if (!on) {
        QFile entry(entryPath());
        if (!entry.exists() && !QFileInfo(entryPath()).isSymLink())
            return true;
        if (!entry.remove())
            return fail(QStringLiteral("无法删除开机启动项"), entry.errorString());
        return true;
    }
    if (!QDir().mkpath(m_dir))
        return fail(QStringLiteral("无法写入开机启动项"),
                    QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(m_dir)));
    // Written in full or not at all, so a half entry never starts at log-on.
    QString why;
    if (!writeFileAtomically(entryPath(), entryText(m_executable).toUtf8(), &why))
        return fail(QStringLiteral("无法写入开机启动项"), why);
    return true;
}

} // namespace kolva
