#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/OutputSettings.h"

namespace kolva {
namespace {

void write(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// What a file says, and what it says when it is missing or cannot be read:
// the system default then, an unreadable one with a reason.
TEST(OutputSettings, ReadsTheChoiceAndTheDefaultsWhenItCannot) {
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    const struct {
        const char *name;
        QByteArray bytes; // null: no file; "dir": a folder in its place
        bool ok;
        bool error;
        OutputSettings expected;
    } cases[] = {
        {"missing", QByteArray(), false, false, {}},
        {"folder", "dir", false, true, {}},
        {"not UTF-8", "[Output]\nDevice=\xff\xfe\n", false, true, {}},
        {"chosen",
         "; c\r\n[Other]\r\nDevice=x\r\n[output]\r\n Device = usb.1 \r\nDescription=USB "
         "音箱\r\nFallBackToDefault=FALSE\r\n",
         true,
         false,
         {"usb.1", "USB 音箱", false}},
        {"empty section", "[Output]\nFallBackToDefault=0\n", true, false, {"", "", true}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (c.bytes == "dir")
            ASSERT_TRUE(QDir().mkpath(path));
        else if (!c.bytes.isNull())
            write(path, c.bytes);
        OutputSettings s{"stale", "stale", false};
        QString error;
        EXPECT_EQ(loadOutputSettings(path, &s, &error), c.ok);
        EXPECT_EQ(error.isEmpty(), !c.error) << error.toStdString();
        EXPECT_EQ(s, c.expected);
    }
}

// A save keeps the rest of the file, and what it writes reads back.
TEST(OutputSettings, SavedChoiceReadsBackAndOtherLinesStay) {
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    write(path, "# mine\n[Output]\nDevice=old\nExtra=1\n[Later]\nKey=v\n");
    const OutputSettings chosen{"alsa_output.usb-A", "USB\n音箱", false};
    QString error;
    ASSERT_TRUE(saveOutputSettings(path, chosen, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()),
              "# mine\n[Output]\nDevice=alsa_output.usb-A\nDescription=USB 音箱\n"
              "FallBackToDefault=false\n[Later]\nKey=v\n");
    OutputSettings back;
    ASSERT_TRUE(loadOutputSettings(path, &back, &error));
    EXPECT_EQ(back, (OutputSettings{"alsa_output.usb-A", "USB 音箱", false}));

    EXPECT_FALSE(saveOutputSettings(dir.filePath("no/such/settings.ini"), chosen, &error));
    EXPECT_TRUE(error.startsWith("无法保存声音输出设置")) << error.toStdString();
}

} // namespace
} // namespace kolva
