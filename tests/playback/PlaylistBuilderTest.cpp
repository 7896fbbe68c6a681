// The playlist of one region pass: its exact bytes, what the player reads back
// from it, the pass counters, the volume rule and the random order.

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

#include "playback/AsxReader.h"
#include "support/PlayerSlots.h"

namespace kolva::test {
namespace {

struct Slots : PlayerSlots {
    QByteArray file() const {
        QFile f(paths.playlistFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

Task withIds(Task task, int taskId) {
    task.TaskID = taskId;
    for (int r = 0; r < task.Regions.size(); ++r) {
        task.Regions[r].RegionID = r;
        task.Regions[r].ParentTaskID = taskId;
        for (int s = 0; s < task.Regions[r].Songs.size(); ++s) {
            task.Regions[r].Songs[s].SongID = s;
            task.Regions[r].Songs[s].ParentRegionID = r;
            task.Regions[r].Songs[s].ParentTaskID = taskId;
        }
    }
    return task;
}

TEST(PlaylistBuilder, WritesTheRegionPassLineForLine) {
    Slots s;
    Region empty = makeRegion("r0", {{"/m/x.mp3"}});
    Region r2 = makeRegion("r2", {{"/m/a.mp3", 0},
                                  {"/m/b.mp3", 1, "00:00:10", "00:01:05"},
                                  {"/m/c.mp3", -1, "", "00:00:30"}});
    Region r1 = makeRegion("r1", {{"/m/y.mp3"}});
    Task task = withIds(makeTask("t", "08:00:00", {empty, r1, r2}), 0);
    s.players.playTask(task);
    s.players.nextRegion(0, 0);
    s.players.nextRegion(0, 1); // the third region's first pass

    const QByteArray expected = "<Asx Version = \"3.0\" >\r\n"
                                "<Author>KOLVA</Author>\r\n"
                                "<Title>KOLVA0-2</Title>\r\n"
                                "<Param Name=\"ParentTaskID\" Value=\"0\" />\r\n"
                                "<Param Name=\"RegionID\" Value=\"2\" />\r\n"
                                "<Entry>\r\n"
                                "<Param Name=\"ParentTaskID\" Value=\"0\" />\r\n"
                                "<Param Name=\"ParentRegionID\" Value=\"2\" />\r\n"
                                "<Param Name=\"SongID\" Value=\"0\" />\r\n"
                                "<Ref href=\"/m/a.mp3\"/>\r\n"
                                "</Entry>\r\n"
                                "<REPEAT COUNT=\"0\">\r\n"
                                "<Entry>\r\n"
                                "<Param Name=\"ParentTaskID\" Value=\"0\" />\r\n"
                                "<Param Name=\"ParentRegionID\" Value=\"2\" />\r\n"
                                "<Param Name=\"SongID\" Value=\"1\" />\r\n"
                                "<StartTime value = \"00:00:10\" />\r\n"
                                "<Duration value = \"00:01:05\" />\r\n"
                                "<Ref href=\"/m/b.mp3\"/>\r\n"
                                "</Entry>\r\n"
                                "</REPEAT>\r\n"
                                "<REPEAT COUNT=\"999999999\">\r\n"
                                "<Entry>\r\n"
                                "<Param Name=\"ParentTaskID\" Value=\"0\" />\r\n"
                                "<Param Name=\"ParentRegionID\" Value=\"2\" />\r\n"
                                "<Param Name=\"SongID\" Value=\"2\" />\r\n"
                                "<Duration value = \"00:00:30\" />\r\n"
                                "<Ref href=\"/m/c.mp3\"/>\r\n"
                                "</Entry>\r\n"
                                "</REPEAT>\r\n"
                                "</Asx>\r\n";
    EXPECT_EQ(s.file(), expected);

    // The player got that file under the pass name, and reads back what the
    // monitor relies on.
    ASSERT_TRUE(s.mainPlayer.currentPlaylist());
    const Playlist &p = *s.mainPlayer.currentPlaylist();
    EXPECT_EQ(p.name, "KOLVA0-2");
    EXPECT_EQ(p.getItemInfo("ParentTaskID"), "0");
    EXPECT_EQ(p.getItemInfo("RegionID"), "2");
    ASSERT_EQ(p.count(), 3);
    EXPECT_EQ(p.entries[0].plays, 1);
    EXPECT_EQ(p.entries[1].plays, 1);
    EXPECT_EQ(p.entries[2].plays, -1);
    EXPECT_DOUBLE_EQ(p.entries[1].startSeconds, 10);
    EXPECT_DOUBLE_EQ(p.entries[1].durationSeconds, 65);
    EXPECT_EQ(s.mainPlayer.calls.count("play"), 3); // started at once, each pass
    EXPECT_TRUE(s.players.slot(0).busy());
    EXPECT_EQ(s.players.slot(0).playing().CurrentRegion, 2);
}

TEST(PlaylistBuilder, ReservedCharactersInPathsReadBackUnchanged) {
    const QString odd = QStringLiteral("/媒体/a \"b\" & <c>\td\r\ne.mp3");
    Slots s;
    Task task = withIds(makeTask("t", "08:00:00", {makeRegion("r", {{odd}})}), 4);
    s.players.playTask(task);
    s.players.playTask(task); // as the insert
    const QByteArray bytes = s.file();
    EXPECT_TRUE(bytes.contains("<Ref href=\"/\xe5\xaa\x92\xe4\xbd\x93/a &quot;b&quot; &amp; "
                               "&lt;c&gt;&#9;d&#13;&#10;e.mp3\"/>\r\n"))
        << bytes.constData();
    const PlaylistPtr p = s.insertPlayer.currentPlaylist();
    ASSERT_TRUE(p);
    ASSERT_EQ(p->count(), 1);
    EXPECT_EQ(p->entries[0].ref, odd);
    EXPECT_EQ(p->name, "KOLVA4-0");
}

TEST(PlaylistBuilder, PassCountersAndVolumeRule) {
    Slots s;
    Region quiet = makeRegion("q", {{"/m/a.mp3"}}, 3, {}, -1);
    Region loud = makeRegion("l", {{"/m/a.mp3"}}, 0, {}, 30);
    Task task = withIds(makeTask("t", "08:00:00", {quiet, loud}), 0);
    task.Volume = -1;
    const auto run = [&] { return s.players.slot(0).playing().regions[0]; };

    const int64_t t0 = s.clock.tickMs();
    s.players.playTask(task);
    EXPECT_EQ(run().PassCount, 1);
    EXPECT_EQ(run().EarlierPassesMs, 0);
    EXPECT_EQ(run().PassStartTick, t0);
    // Region -1 in a task with -1: the player's volume is left alone.
    EXPECT_FALSE(s.mainPlayer.calls.join(',').contains("setVolume"));

    s.clock.advance(4200);
    s.players.nextRegion(0, 0);
    EXPECT_EQ(run().PassCount, 2);
    EXPECT_EQ(run().EarlierPassesMs, 4200);
    EXPECT_EQ(run().PassStartTick, t0 + 4200);

    task.Volume = 70; // a new start takes the task as it is now
    s.players.stopAll();
    s.players.playTask(task);
    EXPECT_EQ(run().PassCount, 1); // counters start fresh
    EXPECT_EQ(s.mainPlayer.calls.filter("setVolume").last(), "setVolume 70");
    s.players.nextRegion(0, 0);
    s.players.nextRegion(0, 0);
    s.players.nextRegion(0, 0); // three passes done: the next region
    EXPECT_EQ(s.mainPlayer.calls.filter("setVolume").last(), "setVolume 30");
    EXPECT_EQ(s.players.slot(0).playing().CurrentRegion, 1);
}

TEST(PlaylistBuilder, EmptyRegionsArePassedOverWhateverTheirRepeat) {
    for (int repeat : {0, 2, -1}) {
        Slots s;
        Region empty = makeRegion("e", {}, repeat);
        Region full = makeRegion("f", {{"/m/a.mp3"}});
        s.players.playTask(withIds(makeTask("t", "08:00:00", {empty, empty, full}), 0));
        EXPECT_EQ(s.mainPlayer.calls.filter("newPlaylist"), QStringList{"newPlaylist KOLVA0-2"})
            << "repeat " << repeat;
        EXPECT_EQ(s.players.slot(0).playing().CurrentRegion, 2);
        EXPECT_EQ(s.players.slot(0).playing().regions[0].PassCount, 0);
    }
    // An empty last region ends the task.
    Slots s;
    Task t = withIds(makeTask("t", "08:00:00", {makeRegion("e", {}, -1)}), 0);
    t.PowerOff = true;
    s.players.playTask(t);
    EXPECT_FALSE(s.players.slot(0).busy());
    EXPECT_EQ(s.powerOff.requests, 1);
}

TEST(PlaylistBuilder, RandomOrderIsAnUnbiasedFreshPermutation) {
    Slots s;
    s.players.setRandomSeed(42);
    EXPECT_EQ(s.players.randomOrder(5, 5), QVector<int>{5});

    QSet<QVector<int>> seen;
    QMap<QVector<int>, int> counts;
    for (int i = 0; i < 6000; ++i) {
        QVector<int> order = s.players.randomOrder(3, 5);
        QVector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, (QVector<int>{3, 4, 5}));
        counts[order]++;
    }
    // All six orders, each near 1000 (a biased draw would skew them).
    ASSERT_EQ(counts.size(), 6);
    for (int c : counts)
        EXPECT_NEAR(c, 1000, 150);

    // Successive passes of a Sort 1 region draw new orders.
    QVector<int> first = s.players.randomOrder(0, 9);
    int differing = 0;
    for (int i = 0; i < 20; ++i)
        differing += s.players.randomOrder(0, 9) != first ? 1 : 0;
    EXPECT_GE(differing, 19);

    // The same seed gives the same orders (tests can pin them).
    Slots a, b;
    a.players.setRandomSeed(7);
    b.players.setRandomSeed(7);
    EXPECT_EQ(a.players.randomOrder(0, 20), b.players.randomOrder(0, 20));
}

TEST(PlaylistBuilder, SortOneRegionWritesItsSongsInTheDrawnOrder) {
    Slots s;
    s.players.setRandomSeed(3);
    QVector<SongSpec> songs;
    for (int i = 0; i < 8; ++i)
        songs.append(SongSpec(QStringLiteral("/m/%1.mp3").arg(i)));
    Region r = makeRegion("r", songs);
    r.Sort = 1;
    r.Repeat = -1;
    s.players.playTask(withIds(makeTask("t", "08:00:00", {r}), 0));
    QSet<QString> orders;
    for (int pass = 0; pass < 5; ++pass) {
        if (pass > 0)
            s.players.nextRegion(0, 0);
        const PlaylistPtr p = s.mainPlayer.currentPlaylist();
        QStringList refs;
        for (const PlaylistEntry &e : p->entries)
            refs << e.ref;
        QStringList sorted = refs;
        sorted.sort();
        QStringList all;
        for (const SongSpec &song : songs)
            all << song.file;
        EXPECT_EQ(sorted, all);
        orders.insert(refs.join(','));
    }
    EXPECT_GE(orders.size(), 4);
}

} // namespace
} // namespace kolva::test
