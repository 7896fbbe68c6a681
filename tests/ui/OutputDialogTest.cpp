// "声音输出" over the real controller: made on first use, its rows and the
// choice it hands back, stored and applied when accepted; the line that
// says a playing task is off its device, and goes when it is back.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/AutoRun.h"
#include "app/MainControllerTestHarness.h"
#include "playback/OutputDevices.h"
#include "playback/OutputRouter.h"
#include "ui/UiFakes.h"
#include "ui/UiTestSupport.h"
#include "ui/main/MainWindow.h"
#include "ui/main/OutputDialog.h"

namespace kolva::test {
namespace {

QStringList rows(const QListWidget *list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

TEST(OutputDialog, ChoiceIsStoredAndAppliedAndAMissingDeviceIsSaidUntilItIsBack) {
    ControllerRig rig;
    rig.startUp({makeTask("早操", "09:00:00", {song("/m/a.wav")})});
    FakeTray tray;
    FakeDialogs dialogs;
    QTemporaryDir config;
    AutoRun autoRun{config.path() + "/autostart", "/opt/kolva/kolva"};
    MainWindow window(app(), rig.controller, dialogs, tray, autoRun);
    QStringList toned;
    window.setTestTonePlayer([&](const QString &device) {
        toned << device;
        return device != "gone";
    });
    OutputDeviceList &devices = rig.controller.outputDevices();
    devices.setDevices({{"usb.A", "USB 音箱"}, {"hdmi", "HDMI"}});

    EXPECT_EQ(window.outputDialog(), nullptr) << "made on first use";
    EXPECT_EQ(window.cmdOutput()->accessibleName(), "声音输出");
    window.cmdOutput()->click();
    OutputDialog *dialog = window.outputDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "声音输出");
    EXPECT_EQ(rows(dialog->deviceList()), (QStringList{"系统默认", "USB 音箱", "HDMI"}));
    EXPECT_EQ(dialog->deviceList()->currentRow(), 0);
    EXPECT_TRUE(dialog->fallBackBox()->isChecked()) << "on by default";
    for (QWidget *control : {static_cast<QWidget *>(dialog->deviceList()),
                             static_cast<QWidget *>(dialog->toneButton()),
                             static_cast<QWidget *>(dialog->fallBackBox())}) {
        EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus) << "reached by the keyboard";
        EXPECT_FALSE(control->accessibleName().isEmpty());
    }

    dialog->deviceList()->setCurrentRow(1);
    dialog->toneButton()->click();
    EXPECT_EQ(toned, QStringList{"usb.A"});
    dialog->fallBackBox()->click();
    dialog->accept();
    EXPECT_EQ(rig.controller.outputSettings(), (OutputSettings{"usb.A", "USB 音箱", false}));
    EXPECT_EQ(rig.controller.outputRouter().programDevice(), "usb.A");
    QFile file(rig.paths.settingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        file.readAll().contains("Device=usb.A\nDescription=USB 音箱\nFallBackToDefault=false"));

    // Opened again while the speakers are away: the stored one stays listed.
    devices.setDevices({{"hdmi", "HDMI"}});
    window.cmdOutput()->click();
    EXPECT_EQ(window.outputDialog(), dialog);
    EXPECT_EQ(rows(dialog->deviceList()),
              (QStringList{"系统默认", "HDMI", "「USB 音箱」(未连接)"}));
    EXPECT_EQ(dialog->deviceList()->currentRow(), 2);
    dialog->reject();

    // A task plays while they are away: waited for, said on both lines.
    rig.controller.playTaskById(0);
    QLabel *line = window.label("lblSoundOutput");
    const QString waiting = OutputRouter::waitingText("USB 音箱");
    EXPECT_FALSE(line->isHidden());
    EXPECT_EQ(line->text(), waiting);
    EXPECT_TRUE(window.label("lblError")->text().endsWith(waiting));
    EXPECT_TRUE(rig.errors.contains(waiting));
    devices.setDevices({{"hdmi", "HDMI"}, {"usb.A", "USB 音箱"}});
    EXPECT_TRUE(line->isHidden());
    EXPECT_FALSE(window.label("lblError")->text().contains(waiting))
        << "the error line tells the return instead";
    EXPECT_EQ(rig.mainPlayer.outputDevice(), "usb.A");
}

} // namespace
} // namespace kolva::test
