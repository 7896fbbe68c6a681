// The two player slots: transport and play-time accounting, which player is
// active, tracing a playlist back to its region, moving on from a region, and
// what a failure leaves behind.

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "support/PlayerSlots.h"

namespace kolva::test {
namespace {

using Slots = PlayerSlots;

Task task(int id, QVector<Region> regions, bool powerOff = false) {
    Task t = makeTask(QStringLiteral("task%1").arg(id), "08:00:00", regions);
    t.TaskID = id;
    t.PowerOff = powerOff;
    for (int r = 0; r < t.Regions.size(); ++r)
        t.Regions[r].RegionID = r;
    return t;
}

Region oneSong(int repeat = 0) {
    return makeRegion("r", {{"/m/a.mp3"}}, repeat);
}

TEST(PlayerControl, InitialisesTagsAndIdleSlots) {
    Slots s;
    EXPECT_EQ(s.mainPlayer.Tag, "0");
    EXPECT_EQ(s.insertPlayer.Tag, "1");
    EXPECT_EQ(s.players.activePlayer(), -1);
    EXPECT_FALSE(s.players.isTaskPlaying(0));
}

TEST(PlayerControl, PauseAndResumeKeepThePlayedTime) {
    Slots s;
    s.players.playTask(task(0, {oneSong()}));
    s.clock.advance(5000);
    s.players.pausePlayer(0);
    EXPECT_EQ(s.players.slot(0).playing().PlayedMs, 5000);
    EXPECT_EQ(s.players.slot(0).playing().StartTick, 0);
    // A second pause (the user paused, then an insert comes) adds nothing.
    s.clock.advance(60000);
    s.players.pausePlayer(0);
    EXPECT_EQ(s.players.slot(0).playing().PlayedMs, 5000);

    s.players.resumePlayer(0);
    EXPECT_EQ(s.players.slot(0).playing().StartTick, s.clock.tickMs());
    EXPECT_EQ(s.resumed, QVector<int>{0}); // the monitor shows its song again
    s.clock.advance(2000);
    EXPECT_EQ(s.players.taskPlayedMs(0, s.clock.tickMs()), 7000);
    EXPECT_EQ(s.mainPlayer.calls.count("play"), 2);
}

TEST(PlayerControl, InsertIsTheActivePlayerWhileBothHoldTasks) {
    Slots s;
    s.players.playTask(task(0, {oneSong()}));
    s.players.playTask(task(1, {oneSong()}));
    EXPECT_EQ(s.mainPlayer.playState(), PlayState::Paused);
    EXPECT_EQ(s.players.activePlayer(), 1);
    EXPECT_TRUE(s.players.isTaskPlaying(1));
    EXPECT_FALSE(s.players.isTaskPlaying(0)); // paused under the insert
    EXPECT_EQ(s.players.slot(0).phase(), PlayerSlot::Phase::Held);

    s.players.pauseActive();
    EXPECT_EQ(s.insertPlayer.playState(), PlayState::Paused);
    EXPECT_EQ(s.mainPlayer.calls.count("pause"), 1); // only the pause for the insert
    s.players.resumeActive();
    EXPECT_EQ(s.insertPlayer.playState(), PlayState::Playing);
    EXPECT_EQ(s.mainPlayer.playState(), PlayState::Paused);
}

TEST(PlayerControl, StopAllStopsOnlyBusyPlayers) {
    Slots s;
    s.players.playTask(task(0, {oneSong()}));
    s.players.stopAll();
    EXPECT_FALSE(s.players.slot(0).busy());
    EXPECT_EQ(s.mainPlayer.playState(), PlayState::Stopped);
    EXPECT_FALSE(s.insertPlayer.calls.contains("stop"));
    EXPECT_EQ(s.players.slot(0).lastEnd(), PlayerSlot::End::Stop);
    // The end the stop reports later moves nothing on (no flag needed).
    const QStringList before = s.mainPlayer.calls;
    s.players.passEndReported(0, *s.mainPlayer.currentPlaylist());
    EXPECT_EQ(s.mainPlayer.calls, before);
    EXPECT_EQ(s.mainPlayer.playState(), PlayState::Stopped);
}

TEST(PlayerControl, TracesPlaylistsBackToTheirRegions) {
    Slots s;
    Region named = oneSong();
    named.Title = "晨曲";
    named.Volume = 40;
    s.players.playTask(task(3, {oneSong(), named}));
    Playlist p;
    p.paramNames = QStringList{"ParentTaskID", "RegionID"};
    p.paramValues = QStringList{"3", "1"};
    const Region found = s.players.getPlayingRegion(p);
    EXPECT_EQ(found.Title, "晨曲");
    EXPECT_EQ(found.Volume, 40);

    p.paramValues = QStringList{"9", "1"};
    const Region none = s.players.getPlayingRegion(p);
    EXPECT_EQ(none.Volume, 0);
    EXPECT_TRUE(none.Title.isEmpty());
}

TEST(PlayerControl, PlaylistEndMovesToTheRegionNamedByItsTitle) {
    Slots s;
    Task t = task(3, {oneSong(), oneSong(2)});
    t.Regions[1].RegionID = 7;
    s.players.playTask(t);
    Playlist ended;
    ended.name = "KOLVA3-7";
    s.players.onPlaylistEnded(0, ended);
    // Region 7 had no pass yet, so its first pass begins.
    EXPECT_EQ(s.players.slot(0).playing().regions[1].PassCount, 1);
    EXPECT_EQ(s.mainPlayer.calls.filter("newPlaylist").last(), "newPlaylist KOLVA3-7");

    const QStringList before = s.mainPlayer.calls;
    ended.name = "KOLVA3-8";
    try {
        s.players.onPlaylistEnded(0, ended);
        FAIL() << "no error for a missing region";
    } catch (const PlaybackError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("没找到Region: RegionID=8"));
    }
    EXPECT_EQ(s.mainPlayer.calls, before);
    EXPECT_TRUE(s.players.slot(0).busy());
}

TEST(PlayerControl, TaskWithoutRegionsOnlyAsksForThePowerOff) {
    Slots s;
    s.players.playTask(task(0, {}, false));
    EXPECT_EQ(s.powerOff.requests, 0);
    s.players.playTask(task(0, {}, true));
    EXPECT_EQ(s.powerOff.requests, 1);
    EXPECT_EQ(s.players.activePlayer(), -1);
    EXPECT_TRUE(s.mainPlayer.calls.isEmpty());
}

TEST(PlayerControl, UnwritablePlaylistPlaysFromMemoryAndIsToldOncePerTask) {
    Slots s;
    QStringList errors;
    s.players.setErrorReporter([&](const QString &message) { errors << message; });
    s.players.playTask(task(0, {oneSong()}));
    // A folder where the playlist file belongs: no one can write it.
    ASSERT_TRUE(QFile::remove(s.paths.playlistFile()));
    ASSERT_TRUE(QDir(s.dir.path()).mkdir("template.asx.dll"));
    s.players.playTask(task(1, {oneSong(2)}, true)); // two passes, then power-off
    EXPECT_TRUE(s.players.slot(1).busy());
    EXPECT_EQ(s.insertPlayer.calls.filter("newPlaylist"),
              QStringList{"newPlaylistFromText KOLVA1-0"});
    EXPECT_EQ(s.insertPlayer.playlistFiles.last(),
              PlayerControl::playlistText(1, s.players.playingTask(1).Regions[0], {0}));
    ASSERT_EQ(s.insertPlayer.currentPlaylist()->count(), 1);
    EXPECT_EQ(s.insertPlayer.currentPlaylist()->entries[0].ref, "/m/a.mp3");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("无法写入播放列表：" + s.paths.playlistFile() + "，"))
        << errors[0].toStdString();
    EXPECT_EQ(s.insertPlayer.calls.count("play"), 1); // started at once

    // Both passes play from memory; the failure is told once for the task.
    for (int pass = 0; pass < 2; ++pass) {
        s.players.noteEntryOpened(1);
        s.players.onPlaylistEnded(1, *s.insertPlayer.currentPlaylist());
    }
    EXPECT_EQ(s.insertPlayer.calls.filter("newPlaylistFromText").size(), 2);
    EXPECT_EQ(errors.size(), 1);
    EXPECT_FALSE(s.players.slot(1).busy());
    EXPECT_EQ(s.mainPlayer.playState(), PlayState::Playing); // paused, then resumed
    EXPECT_EQ(s.powerOff.requests, 1);                       // its natural end

    s.players.playTask(task(2, {oneSong()})); // a new task tells it anew
    EXPECT_EQ(errors.size(), 2);
}

} // namespace
} // namespace kolva::test
