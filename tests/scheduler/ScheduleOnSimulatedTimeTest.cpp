// The schedule on simulated time, without the window's controller: which task
// starts on which player, how inserts hand back, how limits end tasks, and
// that an ended task stays ended.

#include <gtest/gtest.h>

#include "support/ScheduleRig.h"

namespace kolva::test {
namespace {

constexpr int Main = PlayerControl::MainPlayer;
constexpr int Insert = PlayerControl::InsertPlayer;

TEST(Schedule, SameSecondStartsOnlyTheFirstAndReportsTheOthers) {
    // Extra ticks inside the due second change nothing: A plays alone.
    ScheduleRig rig(QTime(8, 0, 0, 500));
    const Region r = song("/m/long.mp3");
    rig.startUp({makeTask("A", "08:00:05", {r}), makeTask("B", "08:00:05", {r}),
                 makeTask("C", "08:00:05", {r})});
    rig.runUntil(QTime(8, 0, 5, 300));
    rig.timerLoop.fire();
    rig.timerLoop.fire();
    rig.runUntil(QTime(8, 0, 7));
    EXPECT_EQ(rig.players().playingTask(Main).Title, "A");
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);
    EXPECT_TRUE(rig.insertPlayer.calls.isEmpty());
    EXPECT_EQ(rig.historyOf(PlayHistory::Missed),
              QStringList({"B|与「A」同一秒到时，未开始", "C|与「A」同一秒到时，未开始"}));

    // One tick in the second: only the first starts.
    ScheduleRig once(QTime(8, 0, 0));
    once.startUp({makeTask("A", "08:00:05", {r}), makeTask("B", "08:00:05", {r})});
    once.runUntil(QTime(8, 0, 7));
    EXPECT_EQ(once.busy(Main), 1);
    EXPECT_EQ(once.busy(Insert), 0);

    // A task that plays out inside its second is not started again by a
    // later tick of that second.
    ScheduleRig quick(QTime(8, 0, 0, 500));
    quick.mainPlayer.setMediaDuration("/m/short.mp3", 0.5);
    quick.startUp({makeTask("Q", "08:00:05", {song("/m/short.mp3")})});
    quick.runUntil(QTime(8, 0, 5, 700));
    quick.timerLoop.fire();
    quick.runUntil(QTime(8, 0, 7));
    EXPECT_EQ(playlistsNamed(quick.mainPlayer, "KOLVA0-0"), 1);
    EXPECT_EQ(quick.busy(Main), 0);
}

TEST(Schedule, InsertPausesMainWhichResumesWithItsPlayTimeAndPosition) {
    ScheduleRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 3000);
    rig.insertPlayer.setMediaDuration("/m/jingle.mp3", 60);
    Task mainTask = makeTask("main", "08:00:10", {song("/m/long.mp3")});
    mainTask.Duration = "00:10:00";
    rig.startUp({mainTask, makeTask("insert", "08:02:00", {song("/m/jingle.mp3")})});
    rig.runUntil(QTime(8, 2, 30));
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Paused);
    const double pausedAt = rig.mainPlayer.currentPosition();
    EXPECT_NEAR(pausedAt, 110, 1.5);

    rig.runUntil(QTime(8, 3, 2));
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);
    EXPECT_NEAR(rig.mainPlayer.currentPosition(), pausedAt + 1.5, 1.5);
    EXPECT_NEAR(rig.players().taskPlayedMs(Main, rig.clock.tickMs()), 111500, 1500);

    // Ten minutes of play: one minute of insert later than without it.
    rig.runUntil(QTime(8, 11, 8));
    EXPECT_EQ(rig.busy(Main), 1);
    rig.runUntil(QTime(8, 11, 13));
    EXPECT_EQ(rig.busy(Main), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Stopped);
    EXPECT_EQ(rig.powerOff.requests, 0);
}

TEST(Schedule, DurationBeatsStopTimeAndAnEarlyStopTimeEndsAtOnce) {
    ScheduleRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    Task both = makeTask("both", "08:00:10", {song("/m/long.mp3")});
    both.Duration = "00:20:00";
    both.StopTime = "08:05:00";
    rig.startUp({both});
    rig.runUntil(QTime(8, 10, 0));
    EXPECT_EQ(rig.busy(Main), 1);
    rig.runUntil(QTime(8, 20, 13));
    EXPECT_EQ(rig.busy(Main), 0);

    ScheduleRig early;
    Task t = makeTask("early", "08:00:10", {song("/m/long.mp3")});
    t.StopTime = "07:00:00";
    early.startUp({t});
    early.runUntil(QTime(8, 0, 11)); // started by the tick at 10.8 s
    EXPECT_EQ(early.busy(Main), 1);
    early.run(1000);
    EXPECT_EQ(early.busy(Main), 0);
    EXPECT_EQ(early.mainPlayer.playState(), PlayState::Stopped);
    // Not started again later in its second either.
    early.runUntil(QTime(8, 1, 0));
    EXPECT_EQ(early.mainPlayer.calls.count("newPlaylist KOLVA0-0"), 1);
}

TEST(Schedule, InsertEndedByItsLimitHandsBackToMain) {
    ScheduleRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    rig.insertPlayer.setMediaDuration("/m/long.mp3", 7200);
    Task ins = makeTask("ins", "08:01:00", {song("/m/long.mp3")});
    ins.StopTime = "08:02:00";
    ins.PowerOff = true;
    rig.startUp({makeTask("main", "08:00:10", {song("/m/long.mp3")}), ins});
    rig.runUntil(QTime(8, 1, 30));
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Paused);
    rig.runUntil(QTime(8, 2, 2));
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.insertPlayer.playState(), PlayState::Stopped);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);
    EXPECT_EQ(rig.powerOff.requests, 0);
}

TEST(Schedule, MainStoppedUnderTheInsertStaysStopped) {
    ScheduleRig rig;
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
    EXPECT_EQ(rig.players().playingTask(Insert).Title, "late");
    EXPECT_EQ(rig.busy(Main), 0);
    const int mainPlays = int(rig.mainPlayer.calls.count("play"));
    rig.runUntil(QTime(8, 5, 0));
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.calls.count("play"), mainPlays);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Stopped);
}

TEST(Schedule, NewInsertReplacesTheInsertWhileMainStaysPaused) {
    ScheduleRig rig;
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 7200);
    rig.insertPlayer.setMediaDuration("/m/i1.mp3", 300);
    rig.insertPlayer.setMediaDuration("/m/i2.mp3", 60);
    rig.startUp({makeTask("main", "08:00:10", {song("/m/long.mp3")}),
                 makeTask("i1", "08:01:00", {song("/m/i1.mp3")}),
                 makeTask("i2", "08:02:00", {song("/m/i2.mp3")})});
    rig.runUntil(QTime(8, 2, 10));
    EXPECT_EQ(rig.players().playingTask(Insert).Title, "i2");
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Paused);
    EXPECT_EQ(rig.mainPlayer.calls.count("pause"), 1);
    rig.runUntil(QTime(8, 3, 3));
    EXPECT_EQ(rig.busy(Insert), 0);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);
    // The replaced insert never comes back.
    rig.runUntil(QTime(8, 8, 0));
    EXPECT_EQ(rig.insertPlayer.calls.count("newPlaylist KOLVA1-0"), 1);
    EXPECT_NEAR(rig.players().taskPlayedMs(Main, rig.clock.tickMs()), (50 + 300) * 1000, 2000);
}

TEST(Schedule, EndlessRegionCutByItsDurationThenNextRegion) {
    ScheduleRig rig;
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
    EXPECT_EQ(rig.players().slot(Main).playing().CurrentRegion, 1);
    EXPECT_EQ(rig.powerOff.requests, 0);
    rig.runUntil(QTime(8, 4, 0));
    EXPECT_EQ(rig.busy(Main), 0);
    EXPECT_EQ(rig.powerOff.requests, 1); // the task played to its end
}

TEST(Schedule, RegionRepeatRebuildsThePlaylistEachPass) {
    ScheduleRig rig;
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
    EXPECT_EQ(rig.players().slot(Main).playing().regions[0].PassCount, 3);
    EXPECT_NEAR(rig.players().slot(Main).playing().regions[0].EarlierPassesMs, 80000, 500);
}

TEST(Schedule, EndlessRegionOfMissingFilesIsPassedOverOnce) {
    ScheduleRig rig;
    rig.mainPlayer.setMediaDuration("/m/gone1.mp3", 0);
    rig.mainPlayer.setMediaDuration("/m/gone2.mp3", 0);
    rig.mainPlayer.setMediaDuration("/m/ok.mp3", 30);
    Region gone = makeRegion("gone", {{"/m/gone1.mp3"}, {"/m/gone2.mp3", -1}}, -1);
    rig.startUp({makeTask("t", "08:00:10", {gone, song("/m/ok.mp3")})});
    rig.runUntil(QTime(8, 0, 20));
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 1);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 1);
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Playing);
    EXPECT_EQ(rig.mainPlayer.currentMedia().sourceURL, "/m/ok.mp3");
    // The region that plays goes on to the end of the task.
    rig.runUntil(QTime(8, 1, 0));
    EXPECT_EQ(rig.busy(Main), 0);
}

TEST(Schedule, PowerOffOnlyAtTheNaturalEnd) {
    ScheduleRig rig;
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

TEST(Schedule, LimitStopDuringTheLastEntryStartsNothing) {
    ScheduleRig rig;
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
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Stopped);
}

TEST(Schedule, ADayOfTasksOnSimulatedTime) {
    ScheduleRig rig(QTime(6, 0, 0));
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
    EXPECT_FALSE(p.slot(Main).busy());
    EXPECT_FALSE(p.slot(Insert).busy());
    // morning: an hour of region a in 12-minute passes (cut in the fifth)
    // with a news insert, then region b twice; noon's endless region until
    // its stop time.
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 5);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-1"), 2);
    EXPECT_EQ(playlistsNamed(rig.insertPlayer, "KOLVA1-0"), 1);
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA2-0"), 8); // endless 4-minute passes
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Stopped);
    EXPECT_EQ(rig.powerOff.requests, 0);
}

} // namespace
} // namespace kolva::test

namespace kolva::test {
namespace {

// A player that goes on into the queued pass by itself: the passes, regions
// and their records follow exactly as when every pass ends and is handed over.
TEST(QueuedPasses, FollowThePassesAndRegionsAsEachPassEndWould) {
    ScheduleRig rig;
    rig.mainPlayer.setContinuesPlaylists(true);
    rig.mainPlayer.setDefaultDuration(10);
    rig.mainPlayer.setMediaDuration("/m/gone.mp3", 0);
    rig.control.setRandomSeed(5);
    Region shuffled = makeRegion("A", {{"/m/1.mp3"}, {"/m/2.mp3"}, {"/m/3.mp3"}}, 2);
    shuffled.Sort = 1;
    Region quiet = makeRegion("B", {{"/m/b.mp3"}}, 0, {}, 30);
    Region gone = makeRegion("G", {{"/m/gone.mp3"}}, -1); // nothing opens: not repeated
    Region last = makeRegion("D", {{"/m/d.mp3"}});
    Task t = makeTask("t", "08:00:10", {shuffled, quiet, makeRegion("C", {}), gone, last});
    t.PowerOff = true;
    rig.startUp({t});

    struct Step {
        int seconds;      // run until this many seconds after the start
        int region;       // CurrentRegion then
        int passes;       // its PassCount
        const char *file; // the region's name in the playlist file then
        int volume;       // the player's volume
    };
    const Step steps[] = {
        {5, 0, 1, "KOLVA0-0", 100},
        {35, 0, 2, "KOLVA0-0", 100}, // second pass, drawn anew
        {65, 1, 1, "KOLVA0-1", 30},  // the quiet region
        {75, 4, 1, "KOLVA0-4", 100}, // C is empty; G's pass opens nothing and ends
    };
    QStringList orders;
    for (const Step &s : steps) {
        rig.runUntil(QTime(8, 0, 10).addSecs(s.seconds));
        SCOPED_TRACE(s.seconds);
        const PlayingTask &playing = rig.players().slot(0).playing();
        EXPECT_TRUE(rig.players().slot(0).busy());
        EXPECT_EQ(playing.CurrentRegion, s.region);
        EXPECT_EQ(playing.regions[s.region].PassCount, s.passes);
        QFile file(rig.paths.playlistFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        EXPECT_TRUE(text.contains(QByteArray("<Title>") + s.file)) << text.constData();
        EXPECT_EQ(rig.mainPlayer.volume(), s.volume);
        if (s.region == 0)
            orders << QString::fromUtf8(text);
    }
    EXPECT_NE(orders[0], orders[1]); // a random region is drawn again for its pass
    rig.runUntil(QTime(8, 1, 50));
    // Handed over by hand: the first pass and the one after G's failed pass
    // (never repeated); the others followed by themselves. The task ended
    // once, at its natural end.
    EXPECT_EQ(rig.mainPlayer.calls.filter("setCurrentPlaylist").size(), 2);
    EXPECT_EQ(rig.mainPlayer.calls.filter("continue ").size(), 3);
    EXPECT_FALSE(rig.players().slot(0).busy());
    EXPECT_EQ(rig.historyOf(PlayHistory::PlayedOut).size(), 1);
    EXPECT_EQ(rig.powerOff.requests, 1);
    EXPECT_TRUE(rig.errors.isEmpty()) << rig.errors.join('\n').toStdString();
}

} // namespace
} // namespace kolva::test

namespace kolva::test {
namespace {

// A task due in a moment is opened ahead on the player it takes and only
// started at its second; a prediction that fails drops what was opened.
TEST(PreparedStarts, OpenAheadStartAtTheSecondDropWhenNoLongerDue) {
    ScheduleRig rig;
    rig.mainPlayer.setPrerolls(true);
    rig.insertPlayer.setPrerolls(true);
    Task bell = makeTask("bell", "08:00:10", {makeRegion("r", {{"/m/a.mp3"}})});
    Task next = makeTask("next", "08:00:30", {makeRegion("r", {{"/m/b.mp3"}})});
    rig.startUp({bell, next});
    rig.runUntil(QTime(8, 0, 8, 500));
    EXPECT_EQ(rig.mainPlayer.calls.filter("preroll"), QStringList{"preroll KOLVA0-0"});
    rig.runUntil(QTime(8, 0, 11));
    // Started from what was opened: no playlist read again, and said so.
    EXPECT_EQ(rig.mainPlayer.calls.filter("newPlaylist "), QStringList{});
    EXPECT_EQ(rig.mainPlayer.calls.filter("setCurrentPlaylist"),
              QStringList{"setCurrentPlaylist KOLVA0-0"});
    ASSERT_EQ(rig.historyOf(PlayHistory::Started).size(), 1);
    EXPECT_TRUE(rig.historyOf(PlayHistory::Started)[0].endsWith("预载"))
        << rig.historyOf(PlayHistory::Started)[0].toStdString();
    QFile file(rig.paths.playlistFile()); // its record written at the start
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("/m/a.mp3"));

    // The next one would be an insert: opened on the insert player, then the
    // list changes before its second and it is dropped.
    rig.runUntil(QTime(8, 0, 28, 500));
    EXPECT_EQ(rig.insertPlayer.calls.filter("preroll"), QStringList{"preroll KOLVA1-0"});
    rig.tasks[1].Enabled = false;
    rig.runUntil(QTime(8, 0, 32));
    EXPECT_EQ(rig.insertPlayer.calls.filter("cancelPreroll").size(), 1);
    EXPECT_FALSE(rig.players().slot(1).busy());
}

} // namespace
} // namespace kolva::test
