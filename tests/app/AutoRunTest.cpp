#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "Version.h"
#include "app/AutoRun.h"
#include "support/FileSizeLimit.h"

using kolva::AutoRun;

namespace {

QString readAll(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// Undoes the two escaping layers of an Exec value: string escapes, then
// the quoting of one double-quoted argument.
QString unquoteExec(const QString &value) {
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar n = value[++i];
            unescaped += n == QLatin1Char('n') ? QChar('\n') : n;
        } else {
            unescaped += value[i];
        }
    }
    EXPECT_TRUE(unescaped.startsWith('"') && unescaped.endsWith('"')) << unescaped.toStdString();
    const QString inner = unescaped.mid(1, unescaped.size() - 2);
    QString arg;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == QLatin1Char('\\') && i + 1 < inner.size())
            arg += inner[++i];
        else
            arg += inner[i];
    }
    return arg.replace(QLatin1String("%%"), QLatin1String("%"));
}

} // namespace

TEST(AutoRun, TickWritesEntryWithExecutableAndClearRemovesIt) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QString dir = config.path() + "/autostart"; // created on demand
    AutoRun autoRun(dir, "/opt/kolva/kolva");
    EXPECT_FALSE(autoRun.isAutoRun());
    EXPECT_EQ(autoRun.entryPath(), dir + "/" + QStringLiteral(KOLVA_TITLE) + ".desktop");

    autoRun.setAutoRun(true);
    ASSERT_TRUE(autoRun.isAutoRun());
    const QString text = readAll(autoRun.entryPath());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nExec=\"/opt/kolva/kolva\"\n"));
    EXPECT_TRUE(text.contains(QStringLiteral("\nName=") + QStringLiteral(KOLVA_TITLE) + "\n"));

    autoRun.setAutoRun(false);
    EXPECT_FALSE(autoRun.isAutoRun());
    EXPECT_FALSE(QFile::exists(autoRun.entryPath()));
    // Clearing again when nothing is there is silent.
    autoRun.setAutoRun(false);
    EXPECT_FALSE(autoRun.isAutoRun());
}

TEST(AutoRun, ExecQuotingSurvivesBlanksQuotesDollarsBackslashesAndPercent) {
    const QString path = QStringLiteral("/home/u/My Apps/定时 \"x\" $HOME `id` a\\b 100%/kolva");
    const QString value = AutoRun::quoteExecArgument(path);
    EXPECT_FALSE(value.contains('\n'));
    EXPECT_EQ(unquoteExec(value), path);
    // A percent sign must never form a field code.
    EXPECT_TRUE(value.contains("100%%"));
}

TEST(AutoRun, PresentEntryCountsAsTickedWhateverItsPath) {
    QTemporaryDir config;
    const QString dir = config.path() + "/autostart";
    AutoRun other(dir, "/somewhere/else/kolva");
    other.setAutoRun(true);
    AutoRun current(dir, "/opt/kolva/kolva");
    EXPECT_TRUE(current.isAutoRun());
    // Reading never rewrites the stale entry.
    EXPECT_TRUE(readAll(current.entryPath()).contains("/somewhere/else/kolva"));
}

TEST(AutoRun, AFailedWriteSaysWhereAndWhyAndKeepsTheOldEntry) {
    QTemporaryDir config;
    QFile(config.filePath("blocked")).open(QIODevice::WriteOnly); // a file, not a folder
    AutoRun old(config.filePath("autostart"), "/old/place/kolva");
    ASSERT_TRUE(old.setAutoRun(true));
    const QString oldText = readAll(old.entryPath());
    struct Case {
        const char *what;
        QString dir;
        rlim_t sizeLimit; // 0: none
        const char *why;
    };
    const Case cases[] = {
        {"folder is a file", config.filePath("blocked"), 0, "无法创建文件夹"},
        {"full disk", config.filePath("autostart"), 16, "写入失败（"},
    };
    for (const Case &c : cases) {
        AutoRun autoRun(c.dir, "/opt/kolva/kolva");
        QString error;
        const auto write = [&] { return autoRun.setAutoRun(true, &error); };
        EXPECT_FALSE(c.sizeLimit ? kolva::test::withSizeLimit(c.sizeLimit, write) : write())
            << c.what;
        EXPECT_TRUE(error.startsWith("无法写入开机启动项：" + autoRun.entryPath() + "，" +
                                     QString::fromUtf8(c.why)))
            << c.what << ": " << error.toStdString();
    }
    EXPECT_EQ(readAll(old.entryPath()), oldText);
}

TEST(AutoRun, UserFolderFollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/kolva-xdg-test");
    EXPECT_EQ(AutoRun::userAutostartDir(), "/tmp/kolva-xdg-test/autostart");
    // A relative value is not a valid base directory and is ignored.
    qputenv("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(AutoRun::userAutostartDir(), QDir::homePath() + "/.config/autostart");
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
}
