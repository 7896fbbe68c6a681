// The task editor's "输出设备:": the stored device shown (also while it is
// away, never dropped), another chosen and written back by a save, the list
// following devices as they come.
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "model/TaskFile.h"
#include "playback/OutputDevices.h"
#include "support/FakeMediaLengths.h"
#include "ui/UiFakes.h"
#include "ui/editor/OutputDeviceBox.h"
#include "ui/editor/TaskEditor.h"

namespace kolva::test {
namespace {

QStringList items(const QComboBox *box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

TEST(OutputDeviceBox, ShowsTheStoredDeviceEvenAwayAndSavesTheChoice) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/task.xtask.dll";
    Task t = newTask();
    t.Title = "广播";
    t.StartTime = "08:00:00";
    t.Device = "usb.gone";
    ASSERT_TRUE(saveTasks(file, {t, newTask()}));
    OutputDeviceList devices;
    devices.remember("usb.gone", "USB 音箱");
    devices.setDevices({{"hdmi", "HDMI"}});
    FakeDialogs dialogs;
    FakeMediaLengths lengths;
    TaskEditor editor(file, dialogs, lengths);
    editor.setOutputDevices(&devices);
    editor.show();
    QCoreApplication::processEvents();

    OutputDeviceBox *box = editor.deviceBox();
    EXPECT_EQ(box->accessibleName(), "输出设备");
    EXPECT_EQ(items(box), (QStringList{"默认", "HDMI", "「USB 音箱」(未连接)"}));
    EXPECT_EQ(box->currentIndex(), 2);
    EXPECT_FALSE(editor.cmdSaveTask()->isEnabled());

    box->setCurrentIndex(1);
    emit box->activated(1);
    EXPECT_TRUE(editor.cmdSaveTask()->isEnabled());
    devices.setDevices({{"hdmi", "HDMI"}, {"usb.gone", "USB 音箱"}});
    EXPECT_EQ(items(box), (QStringList{"默认", "HDMI", "USB 音箱"}));
    EXPECT_EQ(box->currentIndex(), 1) << "the choice kept while the list changes";
    ASSERT_TRUE(editor.cmdSaveTaskClick());
    TaskList back;
    ASSERT_TRUE(loadTasks(file, back));
    EXPECT_EQ(back[0].Device, "hdmi");
    EXPECT_EQ(back[1].Device, "") << "the other task untouched";
}

} // namespace
} // namespace kolva::test
