#include <gtest/gtest.h>

#include <QRegularExpression>
#include <functional>

#include "base/PlayHistory.h"
#include "playback/OutputDevices.h"
#include "playback/OutputRouter.h"
#include "support/PlayerSlots.h"

namespace kolva::test {
namespace {

struct RouterRig : PlayerSlots {
    OutputDeviceList devices;
    OutputRouter router{devices, &mainPlayer, &insertPlayer};
    PlayHistory history{clock, paths.historyFile()};
    QStringList events; // "event title detail" of each history line

    RouterRig() {
        players.setHistory(&history);
        players.setOutputRouter(&router);
        router.setHistory(&history);
        QObject::connect(&history, &PlayHistory::lineAppended, [this](const QString &line) {
            events << line.section('\t', 1).replace('\t', ' ');
        });
    }
    Task task(const char *title, const char *device = "") {
        Task t = makeTask(title, "08:00:00", {song("/m/a.wav")});
        t.Device = device;
        return t;
    }
};

const OutputDevice usb{"alsa_output.usb-A", "USB 音箱"};
const OutputDevice hdmi{"alsa_output.hdmi", "HDMI"};

// One day of a school's speakers, step by step: which device each player is
// asked for, what the error line says and what the history gains.
TEST(OutputRouter, FollowsTheTasksDevicesFallsBackWaitsAndReturns) {
    RouterRig rig;
    rig.devices.setDevices({usb, hdmi});
    rig.router.setProgramOutput(usb.name, true);
    const QString usbGone = OutputRouter::fallbackText("USB 音箱");
    const QString hdmiWaits = OutputRouter::waitingText("HDMI");
    struct Step {
        const char *what;
        std::function<void()> act;
        const char *main; // device the main player was last asked for
        const char *insert;
        QString message;
        QStringList events;
    } steps[] = {
        {"a task without a device plays on the program's",
         [&] { rig.players.playTask(rig.task("早操")); },
         "alsa_output.usb-A",
         "alsa_output.usb-A",
         "",
         {"开始 早操 主播 手动 设备「USB 音箱」"}},
        {"an insert on a device of its own: two zones at once",
         [&] { rig.players.playTask(rig.task("广播", "alsa_output.hdmi")); },
         "alsa_output.usb-A",
         "alsa_output.hdmi",
         "",
         {"开始 广播 插播 手动 设备「HDMI」"}},
        {"the USB speakers unplugged: the main task on the system default",
         [&] { rig.devices.setDevices({hdmi}); },
         "",
         "alsa_output.hdmi",
         usbGone,
         {"改用默认输出 早操 " + usbGone}},
        {"plugged in again (renumbered: the same name): back",
         [&] {
             rig.devices.setDevices({hdmi, usb});
         },
         "alsa_output.usb-A",
         "alsa_output.hdmi",
         "",
         {"回到输出设备 早操 声音输出设备「USB 音箱」"}},
        {"without the fallback a missing device is waited for",
         [&] {
             rig.router.setProgramOutput(usb.name, false);
             rig.devices.setDevices({usb});
         },
         "alsa_output.usb-A",
         "alsa_output.hdmi",
         hdmiWaits,
         {"等待输出设备 广播 " + hdmiWaits}},
        {"the waiting insert ends: its player follows the program's choice, the message goes",
         [&] { rig.players.stopPlayer(PlayerControl::InsertPlayer); },
         "alsa_output.usb-A",
         "alsa_output.usb-A",
         "",
         {}},
        {"a task whose device is missing at its start, fallback on",
         [&] {
             rig.router.setProgramOutput("", true);
             rig.players.stopAll();
             rig.players.playTask(rig.task("午休", "alsa_output.hdmi"));
         },
         "",
         "",
         OutputRouter::fallbackText("HDMI"),
         {"开始 午休 主播 手动 设备「HDMI」",
          "改用默认输出 午休 " + OutputRouter::fallbackText("HDMI")}},
        {"a task already on the default and an idle player: nothing to say",
         [&] { rig.devices.setDevices({}); },
         "",
         "",
         OutputRouter::fallbackText("HDMI"),
         {}},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        rig.events.clear();
        s.act();
        EXPECT_EQ(rig.mainPlayer.outputDevice(), s.main);
        EXPECT_EQ(rig.insertPlayer.outputDevice(), s.insert);
        EXPECT_EQ(rig.router.message(), s.message);
        EXPECT_EQ(rig.events.filter(QRegularExpression("^(开始|改用|等待|回到)")), s.events);
    }
}

// An insert on another device than the main task's is heard beside it (two
// rooms); on the same device, on the default or on a missing one the main
// task waits. The main task sounding beside keeps its region limit.
TEST(OutputRouter, AnInsertOnAnotherDeviceSoundsBesideTheMainTask) {
    const struct {
        const char *name;
        const char *program;
        const char *mainDevice;
        const char *insertDevice;
        bool apart;
    } cases[] = {
        {"two rooms", "", "alsa_output.usb-A", "alsa_output.hdmi", true},
        {"the program's device for the main task", "alsa_output.usb-A", "", "alsa_output.hdmi",
         true},
        {"the same device", "", "alsa_output.usb-A", "alsa_output.usb-A", false},
        {"the main task on the system default", "", "", "alsa_output.hdmi", false},
        {"the insert's device missing", "", "alsa_output.usb-A", "alsa_output.gone", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RouterRig rig;
        rig.devices.setDevices({usb, hdmi});
        rig.router.setProgramOutput(c.program, true);
        Task main = rig.task("背景音乐", c.mainDevice);
        main.Regions[0].Duration = "00:00:05";
        rig.players.playTask(main);
        rig.players.playTask(rig.task("广播", c.insertDevice));
        const PlayerSlot &slot = rig.players.slot(PlayerControl::MainPlayer);
        EXPECT_EQ(slot.phase(), c.apart ? PlayerSlot::Phase::Playing : PlayerSlot::Phase::Held);
        EXPECT_EQ(rig.mainPlayer.calls.contains("pause"), !c.apart);
        rig.clock.advance(6000);
        rig.players.checkPlayback();
        EXPECT_EQ(slot.busy(), !c.apart) << "the region limit of a main task sounding beside";
        EXPECT_TRUE(rig.players.slot(PlayerControl::InsertPlayer).busy());
    }
}

} // namespace
} // namespace kolva::test
