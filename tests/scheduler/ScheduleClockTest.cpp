// The due rule and the display texts of the schedule and the playback monitor.

#include <gtest/gtest.h>

#include "model/ClockTime.h"

#include "scheduler/PlaybackMonitor.h"
#include "scheduler/ScheduleClock.h"
#include "support/ScheduleRig.h"

namespace kolva::test {
namespace {

TEST(ScheduleClock, DueOnlyInTheNamedSecond) {
    // The second a start time names, as the schedule reads it.
    const int at = 7 * 3600 + 5 * 60 + 9;
    EXPECT_EQ(secondOfDay(u"07:05:09"), at);
    EXPECT_EQ(secondOfDay(u"7:5:9"), at); // hand-written form
    EXPECT_EQ(secondOfDay(u"19:05:09"), at + 12 * 3600);
    EXPECT_EQ(secondOfDay(u"00:00:00"), 0);
    // Not clock times: never due, at no time of the day.
    for (const char16_t *bad :
         {u"", u"abc", u"24:00:00", u"07:60:00", u"07:05", u" 07:05:09", u"0a:05:09"})
        EXPECT_EQ(secondOfDay(bad), -1) << QString::fromUtf16(bad).toStdString();
}

TEST(ScheduleClock, ATaskOnTheActivePlayerIsNotStartedAgain) {
    ScheduleRig rig;
    Region r = makeRegion("r", {{"/m/a.mp3"}});
    rig.startUp({makeTask("A", "08:00:05", {r})});
    rig.runUntil(QTime(8, 0, 5, 500)); // started by the tick at 5.4 s
    ASSERT_EQ(rig.busy(0), 1);
    rig.schedule.checkDueTasks(rig.tasks);
    rig.schedule.checkDueTasks(rig.tasks);
    EXPECT_EQ(rig.busy(1), 0);
    EXPECT_EQ(rig.mainPlayer.calls.count("newPlaylist KOLVA0-0"), 1);
    // Paused under an insert within its second, it has still had its start
    // of the day: it is not started again as an insert over itself.
    Task byHand = makeTask("b", QString(), {song("/m/b.mp3")});
    byHand.TaskID = -1; // as a song played by hand: no id of the list
    rig.players().playTask(byHand);
    rig.schedule.checkDueTasks(rig.tasks);
    EXPECT_EQ(rig.players().playingTask(1).TaskID, -1);
}

TEST(ScheduleClock, OffStartsNothingAndOnDoesNotCatchUp) {
    ScheduleRig rig;
    Region r = makeRegion("r", {{"/m/a.mp3"}});
    rig.startUp({makeTask("A", "08:00:05", {r})});
    rig.schedule.stopSchedule();
    rig.runUntil(QTime(8, 0, 7));
    rig.schedule.startSchedule();
    rig.runUntil(QTime(8, 0, 30));
    EXPECT_EQ(rig.busy(0), 0);
    EXPECT_TRUE(rig.mainPlayer.calls.isEmpty());
}

TEST(PlaybackMonitor, StateTexts) {
    EXPECT_EQ(PlaybackMonitor::playStateText(PlayState::Stopped), "停止");
    EXPECT_EQ(PlaybackMonitor::playStateText(PlayState::Paused), "暂停");
    EXPECT_EQ(PlaybackMonitor::playStateText(PlayState::Playing), "播放");
    EXPECT_EQ(PlaybackMonitor::playStateText(PlayState::MediaEnded), "--");
    EXPECT_EQ(PlaybackMonitor::playStateText(PlayState::Undefined), "--");
}

TEST(PlaybackMonitor, TitlesTimesVolumeAndEngineLine) {
    ScheduleRig rig;
    rig.mainPlayer.setMediaDuration("/m/short.mp3", 59.6);
    rig.insertPlayer.setMediaDuration("/m/long.mp3", 3725);
    Region first = makeRegion("区间一", {{"/m/short.mp3"}}, 0, {}, -1);
    Task t = makeTask("晨间", "08:00:10", {first});
    t.Volume = 65;
    Region loud = makeRegion("插播区", {{"/m/long.mp3"}}, 0, {}, 80);
    rig.startUp({t, makeTask("插播", "08:00:20", {loud})});
    const PlaybackDisplay &d = rig.display;
    EXPECT_EQ(d.taskTitle, "星期天逛公园"); // until something plays
    EXPECT_EQ(d.engine, "");

    rig.runUntil(QTime(8, 0, 15));
    EXPECT_EQ(d.taskTitle, "晨间");
    EXPECT_EQ(d.regionTitle, "区间一");
    EXPECT_EQ(d.volume, 65);           // the region leaves it to the task
    EXPECT_EQ(d.totalTime, " /01:00"); // 59.6 s rounds to a minute
    EXPECT_EQ(d.songTitle, "short");
    EXPECT_EQ(d.songFile, "/m/short.mp3");
    EXPECT_EQ(d.engine, "主播:播放  插播:--");
    EXPECT_NEAR(d.progressMax, 59.6, 1e-9);
    EXPECT_EQ(d.playTime, "00:05"); // started at 10.005 s, shown at 15.0 s
    EXPECT_EQ(d.playTransport, TransportAction::Pause);
    EXPECT_TRUE(d.playEnabled);
    EXPECT_EQ(d.playPicture, rig.paths.pausePicture());

    rig.runUntil(QTime(8, 0, 25));
    EXPECT_EQ(d.taskTitle, "插播");
    EXPECT_EQ(d.volume, 80);
    EXPECT_EQ(d.totalTime, " /62:05");
    EXPECT_EQ(d.engine, "主播:暂停  插播:播放");
    EXPECT_EQ(d.playTransport, TransportAction::Pause);

    rig.players().pauseActive(); // the button shows Pause: pauses the insert only
    rig.run(500);
    EXPECT_EQ(d.engine, "主播:暂停  插播:暂停");
    EXPECT_EQ(d.playTransport, TransportAction::Resume);
    EXPECT_EQ(d.playPicture, rig.paths.playPicture());
    rig.players().resumeActive(); // the button shows Resume
    rig.run(500);
    EXPECT_EQ(d.engine, "主播:暂停  插播:播放");

    // Both stopped: the button is disabled with the play picture.
    rig.schedule.stopSchedule();
    rig.run(500);
    EXPECT_EQ(d.engine, "主播:停止  插播:停止");
    EXPECT_EQ(d.playTransport, TransportAction::None);
    EXPECT_FALSE(d.playEnabled);
    EXPECT_EQ(d.playPicture, rig.paths.playPicture());
    EXPECT_EQ(d.taskTitle, "插播"); // labels keep their last texts
}

} // namespace
} // namespace kolva::test
