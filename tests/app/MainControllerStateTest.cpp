// What the window shows of the schedule (captions, tray, status strip, timers)
// and that failures in ticks and events are reported while the schedule runs
// on.

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "app/MainControllerTestHarness.h"
#include "base/AtomicFile.h"
#include "base/Reporting.h"

namespace kolva::test {
namespace {

TEST(MainControllerState, StartUpSwitchesTheScheduleOnAsThePictureDoes) {
    ControllerRig rig;
    EXPECT_FALSE(rig.controller.scheduleOn());
    EXPECT_EQ(rig.controller.trayIconIndex(), 3);
    EXPECT_EQ(rig.controller.trayTip(), "提示");
    EXPECT_EQ(rig.controller.startButtonCaption(), "开始定时");
    EXPECT_EQ(rig.controller.statusContent(), "<span style='font-size:10pt;'></span>");

    rig.startUp();
    EXPECT_TRUE(rig.controller.scheduleOn());
    EXPECT_EQ(rig.controller.timerIntervalMs("timerLoop"), 1000);
    EXPECT_EQ(rig.controller.timerIntervalMs("timerTime"), 1000);
    EXPECT_EQ(rig.controller.timerIntervalMs("timerPosition"), 500);
    EXPECT_EQ(rig.controller.dingShiVisible(), 1);
    EXPECT_EQ(rig.controller.trayIconIndex(), 2);
    EXPECT_EQ(rig.controller.trayTip(), "正在检测。。");
    EXPECT_EQ(rig.controller.startButtonCaption(), "停止定时"); // what a click would do
    EXPECT_EQ(rig.controller.statusContent(),
              "<IMG SRC=\"" + rig.paths.appPath +
                  "/user/pic/1.gif\" STYLE=\" width:20px;margin-left:0px;margin-top:0px; \" "
                  "BORDER=\"0\"><span style='font-size:10pt;'></span>");

    rig.controller.picDingShiClicked(1);
    EXPECT_FALSE(rig.controller.scheduleOn());
    EXPECT_EQ(rig.controller.timerIntervalMs("timerLoop"), 0);
    EXPECT_EQ(rig.controller.dingShiVisible(), 0);
    EXPECT_EQ(rig.controller.trayIconIndex(), 3);
    EXPECT_EQ(rig.controller.trayTip(), "所有任务都已停止！");
    EXPECT_EQ(rig.controller.statusContent(), "<span style='font-size:10pt;'></span>");
    EXPECT_EQ(rig.controller.startButtonCaption(), "开始定时");

    rig.controller.cmdStartClicked();
    EXPECT_TRUE(rig.controller.scheduleOn());
    EXPECT_EQ(rig.controller.startButtonCaption(), "停止定时");
    EXPECT_EQ(rig.controller.dingShiVisible(), 1); // pictures and tray tell the same state
    EXPECT_EQ(rig.controller.trayTip(), "正在检测。。");
    rig.controller.cmdStartClicked();
    EXPECT_FALSE(rig.controller.scheduleOn());
    EXPECT_EQ(rig.controller.startButtonCaption(), "开始定时");

    rig.controller.stopTimers();
    EXPECT_EQ(rig.controller.timerIntervalMs("timerTime"), 0);
    EXPECT_EQ(rig.controller.timerIntervalMs("timerPosition"), 0);
}

TEST(MainControllerState, ClockLabelAndInitialTexts) {
    ControllerRig rig(QTime(7, 3, 9, 950));
    const PlaybackDisplay &d = rig.controller.display();
    EXPECT_EQ(d.playTime, "00:00");
    EXPECT_EQ(d.totalTime, " /00:00");
    EXPECT_EQ(d.regionTitle, "区间3");
    EXPECT_EQ(d.timeing, "12:33:55");
    rig.controller.timerTimeTick();
    EXPECT_EQ(d.clock, "07:03:09");
    rig.clock.advance(50);
    rig.controller.timerTimeTick();
    EXPECT_EQ(d.clock, "07:03:10");
}

TEST(MainControllerState, TaskListLoadsAndReloadsFromTheFile) {
    ControllerRig rig;
    int changes = 0;
    QObject::connect(&rig.controller, &MainController::tasksChanged, [&] { ++changes; });
    rig.startUp({makeTask("A", "09:00:00"), makeTask("B", "10:00:00")});
    ASSERT_EQ(rig.controller.tasks().size(), 2);
    EXPECT_EQ(rig.controller.tasks()[1].TaskID, 1);
    rig.writeTasks({makeTask("C", "11:00:00")});
    rig.controller.loadTaskList();
    ASSERT_EQ(rig.controller.tasks().size(), 1);
    EXPECT_EQ(rig.controller.tasks()[0].Title, "C");
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(rig.errors.isEmpty());

    // A broken file is reported and the list stays as it was.
    QFile broken(rig.paths.taskFile());
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("<Tasklist><Task Title=\"&\"/></Tasklist>");
    broken.close();
    rig.controller.loadTaskList();
    ASSERT_EQ(rig.errors.size(), 1);
    EXPECT_TRUE(rig.errors[0].startsWith("任务列表文件无法读取：第 1 行"))
        << rig.errors[0].toStdString();
    EXPECT_EQ(rig.history("错误"), QStringList{"|" + rig.errors[0]});
    ASSERT_EQ(rig.controller.tasks().size(), 1);
    rig.controller.playTaskById(5); // not in the list: nothing
    EXPECT_TRUE(rig.mainPlayer.calls.isEmpty());
}

TEST(MainControllerState, FailuresAreReportedAndTheScheduleRunsOn) {
    ControllerRig rig;
    Region r = makeRegion("r", {{"/m/a.mp3"}});
    Task first = makeTask("first", "08:00:05", {r});
    first.PowerOff = true;
    rig.startUp({first, makeTask("second", "08:00:20", {r})});
    // The playlist file cannot be written (a folder stands in its place):
    // said on the error line, and the task plays from memory to its end.
    ASSERT_TRUE(QDir(rig.dir.path()).mkdir("template.asx.dll"));
    rig.runUntil(QTime(8, 0, 8));
    ASSERT_EQ(rig.errors.size(), 1);
    EXPECT_TRUE(rig.errors[0].startsWith("无法写入播放列表：") &&
                rig.errors[0].contains("template.asx.dll"))
        << rig.errors[0].toStdString();
    EXPECT_TRUE(rig.controller.scheduleOn());
    EXPECT_EQ(rig.busy(0), 1);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);
    rig.mainPlayer.finishPass();
    rig.deliver();
    EXPECT_EQ(rig.busy(0), 0);
    EXPECT_EQ(rig.powerOff.requests, 1);

    ASSERT_TRUE(QDir(rig.dir.path()).rmdir("template.asx.dll"));
    rig.runUntil(QTime(8, 0, 22));
    EXPECT_EQ(rig.errors.size(), 1);
    EXPECT_EQ(rig.players().playingTask(0).Title, "second");
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);

    // A pass end whose region the task no longer holds: reported from the
    // event, and the next tick still starts a due task.
    rig.writeTasks({makeTask("third", "08:00:30", {r})});
    rig.controller.loadTaskList();
    rig.mainPlayer.renameCurrentPlaylist("KOLVA0-9");
    rig.mainPlayer.finishPass();
    rig.deliver();
    ASSERT_EQ(rig.errors.size(), 2);
    EXPECT_EQ(rig.errors[1], "没找到Region: RegionID=9");
    rig.runUntil(QTime(8, 0, 32));
    EXPECT_EQ(rig.players().playingTask(1).Title, "third");
    EXPECT_EQ(rig.insertPlayer.playState(), PlayState::Playing);
}

TEST(MainControllerState, AFailedLimitStepDoesNotCostADueTaskItsSecond) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/a.mp3", 600);
    Task cut = makeTask(
        "cut", "08:00:10",
        {makeRegion("r0", {{"/m/a.mp3"}}, 0, "00:00:05"), makeRegion("r1", {{"/m/a.mp3"}})});
    // Due in the same tick; it has nothing to play, only its power-off to ask.
    Task due = makeTask("due", "08:00:16");
    due.PowerOff = true;
    rig.startUp({cut, due});
    // Started by the tick at 10.8 s; its region is cut by the tick at 16.2 s,
    // the same tick in which "due" falls due.
    rig.runUntil(QTime(8, 0, 15, 500));
    ASSERT_EQ(rig.players().playingTask(0).Title, "cut");
    // A fault in the limit step: starting the next region throws.
    rig.players().setPlaylistWriter([](const QString &, const QByteArray &, QString *) -> bool {
        throw PlaybackError(QStringLiteral("注入的故障"));
    });
    rig.runUntil(QTime(8, 0, 16, 300));
    ASSERT_EQ(rig.errors, QStringList{"注入的故障"});
    EXPECT_EQ(rig.powerOff.requests, 1); // the due task still ran

    // Without the fault the next tick cuts the region again and goes on.
    rig.players().setPlaylistWriter(
        [](const QString &path, const QByteArray &bytes, QString *reason) {
            return writeFileAtomically(path, bytes, reason);
        });
    rig.runUntil(QTime(8, 0, 17, 300));
    EXPECT_EQ(rig.errors.size(), 1);
    EXPECT_EQ(rig.players().slot(0).playing().CurrentRegion, 1);
    EXPECT_EQ(rig.busy(0), 1);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);
}

TEST(MainControllerState, SeekAndVolumeGoToTheSoundingPlayer) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/a.mp3", 200);
    rig.insertPlayer.setMediaDuration("/m/b.mp3", 100);
    rig.startUp({makeTask("m", "08:00:02", {makeRegion("r", {{"/m/a.mp3"}})}),
                 makeTask("i", "08:00:05", {makeRegion("r", {{"/m/b.mp3"}})})});
    rig.controller.volumeClicked(0.5); // nothing plays: only the bar moves
    EXPECT_EQ(rig.controller.display().volume, 50);
    EXPECT_TRUE(rig.mainPlayer.calls.filter("setVolume").isEmpty());

    rig.runUntil(QTime(8, 0, 8));
    rig.controller.seekClicked(0.25);
    EXPECT_EQ(rig.insertPlayer.calls.filter("setCurrentPosition").last(), "setCurrentPosition 25");
    EXPECT_TRUE(rig.mainPlayer.calls.filter("setCurrentPosition").isEmpty());
    EXPECT_DOUBLE_EQ(rig.controller.display().progressValue, 25);
    rig.controller.volumeClicked(1.7); // past the end of the bar
    EXPECT_EQ(rig.insertPlayer.calls.last(), "setVolume 100");
    EXPECT_EQ(rig.mainPlayer.calls.filter("setVolume").size(), 1); // its region start only
}

} // namespace
} // namespace kolva::test
