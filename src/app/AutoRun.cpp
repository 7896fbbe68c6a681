#include "app/AutoRun.h"

#include <QDir>
#include <QFile>

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

void AutoRun::setAutoRun(bool on) const {
    if (!on) {
        QFile::remove(entryPath());
        return;
    }
    if (!QDir().mkpath(m_dir))
        return;
    // Written in full or not at all, so a half entry never starts at log-on.
    writeFileAtomically(entryPath(), entryText(m_executable).toUtf8());
}

} // namespace kolva
