// The schedule through the window's controller: the user's pause, stop and
// play-by-hand intents meeting what the schedule plays.

#include <gtest/gtest.h>

#include "app/MainControllerTestHarness.h"

namespace kolva::test {
namespace {

constexpr int Main = PlayerControl::MainPlayer;
constexpr int Insert = PlayerControl::InsertPlayer;

TEST(MainControllerSchedule, InvalidOrDisabledTasksAreNeverDueButPlayableByHand) {
    ControllerRig rig;
    Task broken = makeTask("broken", "abc", {song("/m/a.mp3")});
    Task off = makeTask("off", "08:00:03", {song("/m/a.mp3")});
    off.Enabled = false;
    Task ok = makeTask("ok", "08:00:03", {song("/m/a.mp3")});
    rig.startUp({broken, off, ok});
    rig.runUntil(QTime(8, 0, 5));
    EXPECT_EQ(rig.players().playingTask(Main).Title, "ok");
    EXPECT_TRUE(rig.errors.isEmpty());

    ControllerRig byHand;
    byHand.startUp({off});
    byHand.runUntil(QTime(8, 0, 10));
    EXPECT_EQ(byHand.busy(Main), 0);
    byHand.controller.playTaskById(0);
    byHand.run(1000);
    EXPECT_EQ(byHand.busy(Main), 1);
    EXPECT_EQ(byHand.mainPlayer.playState(), PlayState::Playing);
}

TEST(MainControllerSchedule, DurationCountsPlayNotTheUsersPause) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    Task t = makeTask("t", "08:00:10", {song("/m/long.mp3")});
    t.Duration = "00:30:00";
    t.PowerOff = true;
    rig.startUp({t});
    rig.runUntil(QTime(8, 5, 10));
    EXPECT_EQ(rig.controller.display().playTransport, TransportAction::Pause);
    rig.controller.cmdPlayClicked();
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Paused);
    rig.runUntil(QTime(8, 15, 10));
    EXPECT_EQ(rig.controller.display().playTransport, TransportAction::Resume);
    rig.controller.cmdPlayClicked();
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);

    rig.runUntil(QTime(8, 40, 8));
    EXPECT_EQ(rig.busy(Main), 1);
    rig.runUntil(QTime(8, 40, 13));
    EXPECT_EQ(rig.busy(Main), 0);
    EXPECT_EQ(rig.powerOff.requests, 0); // ended by its limit
}

// Two regions: a stop while the last entry of the first plays must not start
// the second.
Task twoRegions() {
    return makeTask("t", "08:00:10",
                    {makeRegion("first", {{"/m/a.mp3"}, {"/m/b.mp3"}}), song("/m/c.mp3")});
}

TEST(MainControllerSchedule, StopAllDuringTheLastEntryStartsNothing) {
    for (int how = 0; how < 2; ++how) {
        ControllerRig rig;
        rig.mainPlayer.setMediaDuration("/m/a.mp3", 30);
        rig.mainPlayer.setMediaDuration("/m/b.mp3", 30);
        rig.startUp({twoRegions()});
        rig.runUntil(QTime(8, 0, 50));
        ASSERT_EQ(rig.mainPlayer.entryIndex(), 1);
        if (how == 0) {
            rig.controller.picDingShiClicked(1);
        } else {
            rig.controller.cmdStartClicked(); // the schedule is on: "停止定时" switches it off
        }
        EXPECT_FALSE(rig.controller.scheduleOn());
        rig.run(5000);
        EXPECT_EQ(rig.busy(Main), 0);
        EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Stopped);
        EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 0);
    }
}

TEST(MainControllerSchedule, OnePassEndMovesOnOnceWhateverTheEventsAroundIt) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/a.mp3", 20);
    Task t = makeTask("t", "08:00:10", {song("/m/a.mp3", 3), song("/m/c.mp3")});
    t.Regions[0].Duration = "00:00:12";
    rig.startUp({t});
    rig.runUntil(QTime(8, 0, 15));
    rig.mainPlayer.finishPass();
    rig.mainPlayer.deliverEvents(); // the end, and the next pass starts
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 2);
    // A player that also reports "stopped" after the end, as the new pass
    // starts and later: the new pass's one entry is also its last.
    emit rig.mainPlayer.statusChange(PlayState::Stopped);
    emit rig.mainPlayer.statusChange(PlayState::Stopped);
    rig.run(500);
    emit rig.mainPlayer.statusChange(PlayState::Stopped);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 2);
    EXPECT_EQ(rig.players().slot(Main).playing().regions[0].PassCount, 2);

    // The end of a pass still queued when a region limit moves on: only one
    // move.
    rig.mainPlayer.finishPass(); // end event queued, not delivered
    rig.clock.advance(7000);     // 12.5 s of region time
    rig.controller.timerLoopTick();
    rig.deliver();
    rig.run(2000);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 2);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 1);
    EXPECT_EQ(rig.players().slot(Main).playing().CurrentRegion, 1);
}

TEST(MainControllerSchedule, MainPassEndingAsAnInsertStartsWaitsForTheInsert) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/a.mp3", 100);
    rig.insertPlayer.setMediaDuration("/m/i.mp3", 30);
    rig.startUp({makeTask("main", "08:00:00", {song("/m/a.mp3"), song("/m/b.mp3")}),
                 makeTask("ins", "08:01:40", {song("/m/i.mp3")})});
    // Main's first region ends in the very tick the insert is due.
    rig.runUntil(QTime(8, 1, 39, 500));
    rig.mainPlayer.finishPass();
    rig.clock.advance(600);
    rig.controller.timerLoopTick();
    rig.deliver();
    EXPECT_EQ(rig.busy(Insert), 1);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 1);
    EXPECT_NE(rig.mainPlayer.playState(), PlayState::Playing);
    rig.run(10000);
    EXPECT_NE(rig.mainPlayer.playState(), PlayState::Playing);
    rig.run(25000);
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);
    EXPECT_EQ(rig.players().slot(Main).playing().CurrentRegion, 1);
}

TEST(MainControllerSchedule, LimitsWaitForTheScheduleToBeOn) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    Task t = makeTask("t", "09:00:00", {song("/m/long.mp3")});
    t.Duration = "00:01:00";
    t.Regions[0].Duration = "00:00:30";
    rig.startUp({t, makeTask("due", "08:00:30", {song("/m/long.mp3")})});
    rig.controller.picDingShiClicked(1);
    rig.runUntil(QTime(8, 0, 40));
    EXPECT_EQ(rig.busy(Main), 0); // no start by the clock while off
    rig.controller.playTaskById(0);
    rig.run(180000);
    EXPECT_EQ(rig.busy(Main), 1);
    EXPECT_EQ(rig.players().playingTask(Main).Title, "t");
    rig.controller.picDingShiClicked(0);
    EXPECT_EQ(rig.busy(Main), 1); // switching on does not stop it
    rig.run(1100);                // the first tick of the next second
    EXPECT_EQ(rig.busy(Main), 0);
}

TEST(MainControllerSchedule, SongPlayedByHandIsAnInsertAndHidesNoTaskOfTheList) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    rig.insertPlayer.setMediaDuration("/m/song.mp3", 40);
    rig.startUp({makeTask("main", "08:00:10", {song("/m/long.mp3")})});
    rig.runUntil(QTime(8, 0, 20));
    rig.controller.playSong("/m/song.mp3");
    rig.run(1000);
    EXPECT_EQ(rig.busy(Insert), 1);
    EXPECT_EQ(rig.players().playingTask(Insert).TaskID, MainController::AdHocTaskId);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Paused);
    EXPECT_EQ(rig.insertPlayer.currentMedia().sourceURL, "/m/song.mp3");
    rig.run(40000);
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);
    EXPECT_TRUE(rig.errors.isEmpty());

    // A song by hand on the idle main player; the list's first task (id 0)
    // still falls due and comes as an insert.
    ControllerRig idle;
    idle.mainPlayer.setMediaDuration("/m/song.mp3", 600);
    idle.startUp({makeTask("first", "08:00:10", {song("/m/long.mp3")})});
    idle.controller.playSong("/m/song.mp3");
    idle.runUntil(QTime(8, 0, 12));
    EXPECT_EQ(idle.players().playingTask(Main).TaskID, MainController::AdHocTaskId);
    EXPECT_EQ(idle.players().playingTask(Insert).Title, "first");
}

} // namespace
} // namespace kolva::test
