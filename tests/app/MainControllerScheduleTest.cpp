// The schedule on simulated time: which task starts on which player, how
// inserts hand back, how limits end tasks, and that an ended task stays ended.

#include <gtest/gtest.h>

#include "app/MainControllerTestHarness.h"

namespace kolva::test {
namespace {

constexpr int Main = PlayerControl::MainPlayer;
constexpr int Insert = PlayerControl::InsertPlayer;

Region song(const QString &file, int repeat = 0, const QString &duration = {}) {
    return makeRegion(file, {{file}}, repeat, duration);
}

int playlistsNamed(FakeMediaPlayer &p, const QString &name) {
    return int(p.calls.count(QStringLiteral("newPlaylist ") + name));
}

TEST(MainControllerSchedule, SameSecondStartsFirstAsMainSecondAsInsertNeverAThird) {
    // Ticks at .0 and .9 of a second: the due second sees two of them.
    ControllerRig rig(QTime(8, 0, 0, 500));
    const Region r = song("/m/long.mp3");
    rig.startUp({makeTask("A", "08:00:05", {r}), makeTask("B", "08:00:05", {r}),
                 makeTask("C", "08:00:05", {r})});
    rig.runUntil(QTime(8, 0, 7));
    EXPECT_EQ(rig.players().PlayingTasks[Main].Title, "A");
    EXPECT_EQ(rig.players().PlayingTasks[Insert].Title, "B");
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePaused);
    EXPECT_EQ(rig.insertPlayer.playState(), PlayStatePlaying);
    EXPECT_EQ(rig.insertPlayer.calls.count("newPlaylist KOLVA1-0"), 1);
    EXPECT_EQ(rig.insertPlayer.calls.count("newPlaylist KOLVA2-0"), 0);

    // One tick in the second: only the first starts.
    ControllerRig once(QTime(8, 0, 0));
    once.startUp({makeTask("A", "08:00:05", {r}), makeTask("B", "08:00:05", {r})});
    once.runUntil(QTime(8, 0, 7));
    EXPECT_EQ(once.busy(Main), 1);
    EXPECT_EQ(once.busy(Insert), 0);
}

TEST(MainControllerSchedule, InvalidOrDisabledTasksAreNeverDueButPlayableByHand) {
    ControllerRig rig;
    Task broken = makeTask("broken", "abc", {song("/m/a.mp3")});
    Task off = makeTask("off", "08:00:03", {song("/m/a.mp3")});
    off.Enabled = false;
    Task ok = makeTask("ok", "08:00:03", {song("/m/a.mp3")});
    rig.startUp({broken, off, ok});
    rig.runUntil(QTime(8, 0, 5));
    EXPECT_EQ(rig.players().PlayingTasks[Main].Title, "ok");
    EXPECT_TRUE(rig.errors.isEmpty());

    ControllerRig byHand;
    byHand.startUp({off});
    byHand.runUntil(QTime(8, 0, 10));
    EXPECT_EQ(byHand.busy(Main), 0);
    byHand.controller.playTaskById(0);
    byHand.run(1000);
    EXPECT_EQ(byHand.busy(Main), 1);
    EXPECT_EQ(byHand.mainPlayer.playState(), PlayStatePlaying);
}

TEST(MainControllerSchedule, InsertPausesMainWhichResumesWithItsPlayTimeAndPosition) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 3000);
    rig.insertPlayer.setMediaDuration("/m/jingle.mp3", 60);
    Task mainTask = makeTask("main", "08:00:10", {song("/m/long.mp3")});
    mainTask.Duration = "00:10:00";
    rig.startUp({mainTask, makeTask("insert", "08:02:00", {song("/m/jingle.mp3")})});
    rig.runUntil(QTime(8, 2, 30));
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePaused);
    const double pausedAt = rig.mainPlayer.currentPosition();
    EXPECT_NEAR(pausedAt, 110, 1.5);

    rig.runUntil(QTime(8, 3, 2));
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePlaying);
    EXPECT_NEAR(rig.mainPlayer.currentPosition(), pausedAt + 1.5, 1.5);
    EXPECT_NEAR(rig.players().taskPlayedMs(Main, rig.clock.tickMs()), 111500, 1500);

    // Ten minutes of play: one minute of insert later than without it.
    rig.runUntil(QTime(8, 11, 8));
    EXPECT_EQ(rig.busy(Main), 1);
    rig.runUntil(QTime(8, 11, 13));
    EXPECT_EQ(rig.busy(Main), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStateStopped);
    EXPECT_EQ(rig.powerOff.requests, 0);
}

TEST(MainControllerSchedule, DurationCountsPlayNotTheUsersPause) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    Task t = makeTask("t", "08:00:10", {song("/m/long.mp3")});
    t.Duration = "00:30:00";
    t.PowerOff = true;
    rig.startUp({t});
    rig.runUntil(QTime(8, 5, 10));
    EXPECT_EQ(rig.controller.display().playTag, "1");
    rig.controller.cmdPlayClicked();
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePaused);
    rig.runUntil(QTime(8, 15, 10));
    EXPECT_EQ(rig.controller.display().playTag, "2");
    rig.controller.cmdPlayClicked();
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePlaying);

    rig.runUntil(QTime(8, 40, 8));
    EXPECT_EQ(rig.busy(Main), 1);
    rig.runUntil(QTime(8, 40, 13));
    EXPECT_EQ(rig.busy(Main), 0);
    EXPECT_EQ(rig.powerOff.requests, 0); // ended by its limit
}

TEST(MainControllerSchedule, DurationBeatsStopTimeAndAnEarlyStopTimeEndsAtOnce) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    Task both = makeTask("both", "08:00:10", {song("/m/long.mp3")});
    both.Duration = "00:20:00";
    both.StopTime = "08:05:00";
    rig.startUp({both});
    rig.runUntil(QTime(8, 10, 0));
    EXPECT_EQ(rig.busy(Main), 1);
    rig.runUntil(QTime(8, 20, 13));
    EXPECT_EQ(rig.busy(Main), 0);

    ControllerRig early;
    Task t = makeTask("early", "08:00:10", {song("/m/long.mp3")});
    t.StopTime = "07:00:00";
    early.startUp({t});
    early.runUntil(QTime(8, 0, 11)); // started by the tick at 10.8 s
    EXPECT_EQ(early.busy(Main), 1);
    early.run(1000);
    EXPECT_EQ(early.busy(Main), 0);
    EXPECT_EQ(early.mainPlayer.playState(), PlayStateStopped);
    // Not started again later in its second either.
    early.runUntil(QTime(8, 1, 0));
    EXPECT_EQ(early.mainPlayer.calls.count("newPlaylist KOLVA0-0"), 1);
}

TEST(MainControllerSchedule, InsertEndedByItsLimitHandsBackToMain) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    rig.insertPlayer.setMediaDuration("/m/long.mp3", 7200);
    Task ins = makeTask("ins", "08:01:00", {song("/m/long.mp3")});
    ins.StopTime = "08:02:00";
    ins.PowerOff = true;
    rig.startUp({makeTask("main", "08:00:10", {song("/m/long.mp3")}), ins});
    rig.runUntil(QTime(8, 1, 30));
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePaused);
    rig.runUntil(QTime(8, 2, 2));
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.insertPlayer.playState(), PlayStateStopped);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePlaying);
    EXPECT_EQ(rig.powerOff.requests, 0);
}

TEST(MainControllerSchedule, MainStoppedUnderTheInsertStaysStopped) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    rig.insertPlayer.setMediaDuration("/m/ins.mp3", 120);
    Task mainTask = makeTask("main", "08:00:10", {song("/m/long.mp3")});
    mainTask.StopTime = "08:01:30";
    rig.startUp({mainTask, makeTask("ins", "08:01:00", {song("/m/ins.mp3")}),
                 makeTask("late", "08:02:00", {song("/m/ins.mp3")})});
    rig.runUntil(QTime(8, 1, 40));
    EXPECT_EQ(rig.busy(Main), 0);
    EXPECT_EQ(rig.busy(Insert), 1);
    // A task due now replaces the insert rather than sounding beside it.
    rig.runUntil(QTime(8, 2, 5));
    EXPECT_EQ(rig.players().PlayingTasks[Insert].Title, "late");
    EXPECT_EQ(rig.busy(Main), 0);
    const int mainPlays = int(rig.mainPlayer.calls.count("play"));
    rig.runUntil(QTime(8, 5, 0));
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.calls.count("play"), mainPlays);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStateStopped);
}

TEST(MainControllerSchedule, NewInsertReplacesTheInsertWhileMainStaysPaused) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    rig.insertPlayer.setMediaDuration("/m/i1.mp3", 300);
    rig.insertPlayer.setMediaDuration("/m/i2.mp3", 60);
    rig.startUp({makeTask("main", "08:00:10", {song("/m/long.mp3")}),
                 makeTask("i1", "08:01:00", {song("/m/i1.mp3")}),
                 makeTask("i2", "08:02:00", {song("/m/i2.mp3")})});
    rig.runUntil(QTime(8, 2, 10));
    EXPECT_EQ(rig.players().PlayingTasks[Insert].Title, "i2");
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePaused);
    EXPECT_EQ(rig.mainPlayer.calls.count("pause"), 1);
    rig.runUntil(QTime(8, 3, 3));
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePlaying);
    // The replaced insert never comes back.
    rig.runUntil(QTime(8, 8, 0));
    EXPECT_EQ(rig.insertPlayer.calls.count("newPlaylist KOLVA1-0"), 1);
    EXPECT_NEAR(rig.players().taskPlayedMs(Main, rig.clock.tickMs()), (50 + 300) * 1000, 2000);
}

TEST(MainControllerSchedule, EndlessRegionCutByItsDurationThenNextRegion) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/loop.mp3", 50);
    rig.mainPlayer.setMediaDuration("/m/tail.mp3", 30);
    Task t = makeTask("t", "08:00:10", {song("/m/loop.mp3", 0, {}), song("/m/tail.mp3")});
    t.Regions[0].Repeat = -1;
    t.Regions[0].Duration = "00:03:00";
    t.PowerOff = true;
    rig.startUp({t});
    rig.runUntil(QTime(8, 3, 5));
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 4); // passes at 0, 50, 100, 150 s
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 0);
    rig.runUntil(QTime(8, 3, 13));
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 1);
    EXPECT_EQ(rig.players().PlayingTasks[Main].CurrentRegion, 1);
    EXPECT_EQ(rig.powerOff.requests, 0);
    rig.runUntil(QTime(8, 4, 0));
    EXPECT_EQ(rig.busy(Main), 0);
    EXPECT_EQ(rig.powerOff.requests, 1); // the task played to its end
}

TEST(MainControllerSchedule, RegionRepeatRebuildsThePlaylistEachPass) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/a.mp3", 20);
    Task t = makeTask("t", "08:00:10", {song("/m/a.mp3", 3)});
    t.Regions[0].Songs[0].Repeat = 2; // two plays per pass
    t.PowerOff = true;
    rig.startUp({t});
    rig.runUntil(QTime(8, 5, 0));
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 3);
    EXPECT_EQ(rig.mainPlayer.playlistFiles.size(), 3);
    EXPECT_EQ(rig.mainPlayer.passesEnded, 3);
    EXPECT_EQ(rig.busy(Main), 0);
    EXPECT_EQ(rig.powerOff.requests, 1);
    EXPECT_EQ(rig.players().PlayingTasks[Main].Regions[0].PassCount, 3);
    EXPECT_NEAR(rig.players().PlayingTasks[Main].Regions[0].EarlierPassesMs, 80000, 500);
}

TEST(MainControllerSchedule, EndlessRegionOfMissingFilesIsPassedOverOnce) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/gone1.mp3", 0);
    rig.mainPlayer.setMediaDuration("/m/gone2.mp3", 0);
    rig.mainPlayer.setMediaDuration("/m/ok.mp3", 30);
    Region gone = makeRegion("gone", {{"/m/gone1.mp3"}, {"/m/gone2.mp3", -1}}, -1);
    rig.startUp({makeTask("t", "08:00:10", {gone, song("/m/ok.mp3")})});
    rig.runUntil(QTime(8, 0, 20));
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 1);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 1);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePlaying);
    EXPECT_EQ(rig.mainPlayer.currentMedia().sourceURL, "/m/ok.mp3");
    // The region that plays goes on to the end of the task.
    rig.runUntil(QTime(8, 1, 0));
    EXPECT_EQ(rig.busy(Main), 0);
}

TEST(MainControllerSchedule, PowerOffOnlyAtTheNaturalEnd) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/a.mp3", 30);
    Task ends = makeTask("ends", "08:00:10", {song("/m/a.mp3")});
    ends.PowerOff = true;
    Task limited = makeTask("limited", "08:01:00", {song("/m/a.mp3")});
    limited.PowerOff = true;
    limited.Duration = "00:00:10";
    Task empty = makeTask("empty", "08:02:00");
    empty.PowerOff = true;
    Task quiet = makeTask("quiet", "08:03:00");
    rig.startUp({ends, limited, empty, quiet});
    rig.runUntil(QTime(8, 0, 50));
    EXPECT_EQ(rig.powerOff.requests, 1);
    rig.runUntil(QTime(8, 1, 30));
    EXPECT_EQ(rig.powerOff.requests, 1);
    EXPECT_EQ(rig.busy(Main), 0);
    rig.runUntil(QTime(8, 2, 2));
    EXPECT_EQ(rig.powerOff.requests, 2);
    rig.runUntil(QTime(8, 3, 2));
    EXPECT_EQ(rig.powerOff.requests, 2);
}

// Two regions: a stop while the last entry of the first plays must not start
// the second.
Task twoRegions() {
    Region first = makeRegion("first", {{"/m/a.mp3"}, {"/m/b.mp3"}});
    return makeTask("t", "08:00:10", {first, song("/m/c.mp3")});
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
            rig.controller.cmdStartClicked(); // caption was "开始定时": switches on
            rig.controller.cmdStartClicked(); // now off
        }
        EXPECT_FALSE(rig.controller.scheduleOn());
        rig.run(5000);
        EXPECT_EQ(rig.busy(Main), 0);
        EXPECT_EQ(rig.mainPlayer.playState(), PlayStateStopped);
        EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 0);
        EXPECT_FALSE(rig.controller.schedule().stoppingAll);
    }
}

TEST(MainControllerSchedule, LimitStopDuringTheLastEntryStartsNothing) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/a.mp3", 30);
    rig.mainPlayer.setMediaDuration("/m/b.mp3", 60);
    Task t = twoRegions();
    t.Regions[0].Repeat = 3;
    t.Duration = "00:00:45";
    rig.startUp({t});
    rig.runUntil(QTime(8, 2, 0));
    EXPECT_EQ(rig.busy(Main), 0);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 1);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStateStopped);
}

TEST(MainControllerSchedule, OnePassEndMovesOnOnceWhateverTheEventsAroundIt) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/a.mp3", 20);
    rig.startUp({makeTask("t", "08:00:10", {song("/m/a.mp3", 3), song("/m/c.mp3")})});
    rig.runUntil(QTime(8, 0, 15));
    rig.mainPlayer.finishPass();
    rig.mainPlayer.deliverEvents(); // the end, but not yet the start timer
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 2);
    ASSERT_TRUE(rig.controller.playerBugPlayArmed());
    // A player that also reports "stopped" after the end, before and after
    // the new pass starts: the new pass's one entry is also its last.
    ASSERT_EQ(rig.mainPlayer.playState(), PlayStateStopped);
    emit rig.mainPlayer.statusChange();
    emit rig.mainPlayer.statusChange();
    rig.run(500);
    emit rig.mainPlayer.statusChange();
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 2);
    EXPECT_EQ(rig.players().PlayingTasks[Main].Regions[0].PassCount, 2);

    // The end of a pass still queued when a region limit moves on: only one
    // move.
    rig.players().PlayingTasks[Main].Regions[0].Duration = "00:00:05";
    rig.mainPlayer.finishPass(); // end event queued, not delivered
    rig.clock.advance(6000);
    rig.controller.timerLoopTick();
    rig.deliver();
    rig.run(2000);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 2);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 1);
    EXPECT_EQ(rig.players().PlayingTasks[Main].CurrentRegion, 1);
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
    EXPECT_NE(rig.mainPlayer.playState(), PlayStatePlaying);
    rig.run(10000);
    EXPECT_NE(rig.mainPlayer.playState(), PlayStatePlaying);
    rig.run(25000);
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePlaying);
    EXPECT_EQ(rig.players().PlayingTasks[Main].CurrentRegion, 1);
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
    EXPECT_EQ(rig.players().PlayingTasks[Main].Title, "t");
    rig.controller.picDingShiClicked(0);
    EXPECT_EQ(rig.busy(Main), 1); // switching on does not stop it
    rig.run(1000);
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
    EXPECT_EQ(rig.players().PlayingTasks[Insert].TaskID, MainController::AdHocTaskId);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePaused);
    EXPECT_EQ(rig.insertPlayer.currentMedia().sourceURL, "/m/song.mp3");
    rig.run(40000);
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStatePlaying);
    EXPECT_TRUE(rig.errors.isEmpty());

    // A song by hand on the idle main player; the list's first task (id 0)
    // still falls due and comes as an insert.
    ControllerRig idle;
    idle.mainPlayer.setMediaDuration("/m/song.mp3", 600);
    idle.startUp({makeTask("first", "08:00:10", {song("/m/long.mp3")})});
    idle.controller.playSong("/m/song.mp3");
    idle.runUntil(QTime(8, 0, 12));
    EXPECT_EQ(idle.players().PlayingTasks[Main].TaskID, MainController::AdHocTaskId);
    EXPECT_EQ(idle.players().PlayingTasks[Insert].Title, "first");
}

TEST(MainControllerSchedule, ADayOfTasksOnSimulatedTime) {
    ControllerRig rig(QTime(6, 0, 0));
    rig.mainPlayer.setDefaultDuration(240);
    rig.insertPlayer.setDefaultDuration(240);
    TaskList day;
    Task morning = makeTask(
        "morning", "06:30:00",
        {makeRegion("a", {{"/m/1.mp3"}, {"/m/2.mp3", 2}}, -1), makeRegion("b", {{"/m/3.mp3"}}, 2)});
    morning.Regions[0].Sort = 1;
    morning.Regions[0].Duration = "01:00:00";
    Task news = makeTask("news", "07:00:00", {song("/m/news.mp3")});
    Task noon = makeTask("noon", "12:00:00", {song("/m/noon.mp3", -1)});
    noon.StopTime = "12:30:00";
    day << morning << news << noon;
    rig.startUp(day);
    rig.runUntil(QTime(13, 0, 0), 300);

    const PlayerControl &p = rig.players();
    EXPECT_TRUE(rig.errors.isEmpty()) << rig.errors.join('\n').toStdString();
    EXPECT_EQ(p.PlayerBusy[Main], 0);
    EXPECT_EQ(p.PlayerBusy[Insert], 0);
    // morning: an hour of region a in 12-minute passes (cut in the fifth)
    // with a news insert, then region b twice; noon's endless region until
    // its stop time.
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 5);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 2);
    EXPECT_EQ(playlistsNamed(rig.insertPlayer, "KOLVA1-0"), 1);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA2-0"), 8); // endless 4-minute passes
    EXPECT_EQ(rig.mainPlayer.playState(), PlayStateStopped);
    EXPECT_EQ(rig.powerOff.requests, 0);
}

} // namespace
} // namespace kolva::test
