// The GStreamer player heard through a capturing sink: which tone plays when,
// for how long, with which events.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>

#include "platform/GstMediaPlayer.h"
#include "platform/GstSupport.h"
#include "platform/GstVideoDrop.h"
#include "platform/PlayerHarness.h"
#include "support/MediaGen.h"
#include <gst/gst.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kolva;
using namespace kolva::test;

namespace {

const QList<double> pitches{400, 800, 1200, 1600, 2000, 2400, 2800, 3200, 3600};

QString describe(const QList<Segment> &segments) {
    QStringList parts;
    for (const Segment &s : segments)
        parts << QStringLiteral("%1Hz:%2s").arg(s.frequency).arg(s.seconds, 0, 'f', 3);
    return parts.join(' ');
}

// The sounding segments (silence dropped).
QList<Segment> tones(const Capture &capture) {
    QList<Segment> out;
    for (const Segment &s : capture.segments(pitches)) {
        if (s.frequency > 0)
            out << s;
    }
    return out;
}

class GstPlayerTest : public ::testing::Test {
protected:
    static MediaGen &gen() {
        static MediaGen g; // one cache folder for all tests of this binary
        return g;
    }
    QString media(const QString &name, const QList<Tone> &t,
                  MediaFormat format = MediaFormat::Wav) {
        const QString path = gen().make(name, t, format);
        EXPECT_FALSE(path.isEmpty()) << name.toStdString();
        return path;
    }
    QString asx(const QList<AsxEntry> &entries) {
        return writeAsx(dir.filePath(QStringLiteral("list%1.asx").arg(++asxCount)), entries);
    }
    PlaylistPtr load(GstMediaPlayer &player, const QList<AsxEntry> &entries) {
        PlaylistPtr p = player.newPlaylist("KOLVA0-1", asx(entries));
        EXPECT_EQ(p->count(), entries.size());
        return p;
    }
    static bool ended(const EventLog &log) { return log.count(SeenEvent::Status, 8) > 0; }

    QTemporaryDir dir;
    int asxCount = 0;
    MediaInfoCache cache{5000, /*recheckMs=*/500};
};

TEST_F(GstPlayerTest, PlaysEntriesInOrderWithRepeatsGaplessAndReportsOneEnd) {
    const QString a = media("a400", {{400, 0.3}});
    const QString b = media("b800", {{800, 0.2}});
    const QString c = media("c1200", {{1200, 0.3}});
    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    Capture capture(player);
    EventLog log(player);
    const PlaylistPtr list = load(player, {{a}, {b, 1}, {c, 1}});
    EXPECT_EQ(list->getItemInfo("RegionID"), "1");

    player.setCurrentPlaylist(list);
    ASSERT_TRUE(waitUntil([&] { return !log.events.isEmpty(); }));
    runFor(150);
    EXPECT_EQ(capture.sampleCount(), 0) << "setting the playlist must not start playback";
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    EXPECT_TRUE(player.currentMedia().isIdentical(list->item(0)));

    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 8000)) << log.describe().toStdString();
    runFor(200);
    EXPECT_EQ(log.describe().toStdString(),
              "open(7)@0 open(13)@0 status(3)@0 open(13)@1 open(13)@1 open(13)@2 open(13)@2 "
              "status(8)@2");
    EXPECT_TRUE(log.events.last().media.isIdentical(list->item(2)));
    EXPECT_EQ(player.playState(), PlayState::Stopped); // rests in Stopped after the end
    EXPECT_EQ(log.events[1].media.name, "a400-" + QFileInfo(a).completeBaseName().section('-', 1));
    EXPECT_EQ(log.events[1].media.sourceURL, a);
    EXPECT_NEAR(log.events[1].media.duration, 0.3, 0.02);

    const QList<Segment> heard = tones(capture);
    ASSERT_EQ(heard.size(), 3) << describe(heard).toStdString();
    EXPECT_EQ(heard[0].frequency, 400);
    EXPECT_NEAR(heard[0].seconds, 0.3, 0.02);
    EXPECT_EQ(heard[1].frequency, 800);
    EXPECT_NEAR(heard[1].seconds, 0.4, 0.02); // two plays, back to back
    EXPECT_EQ(heard[2].frequency, 1200);
    EXPECT_NEAR(heard[2].seconds, 0.6, 0.02); // the last entry's first play is not the end
    EXPECT_LT(capture.longestRunningTimeGapMs(), 2) << "entries must follow without a gap";

    // play() after the end starts the pass again from the first entry.
    capture.clear();
    log.events.clear();
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 8000));
    EXPECT_EQ(log.describe().toStdString(),
              "open(13)@0 status(3)@0 open(13)@1 open(13)@1 open(13)@2 open(13)@2 "
              "status(8)@2");
    EXPECT_NEAR(capture.seconds(), 1.3, 0.05);
}

TEST_F(GstPlayerTest, QueuedPlaylistsFollowWithoutAGap) {
    // Passes of a bell's length: a pass shorter than what playbin reads ahead
    // (about a second) may end before the pass after it is known.
    const QString a = media("qa400", {{400, 1.5}});
    const QString b = media("qb800", {{800, 1.5}});
    const QString c = media("qc1200", {{1200, 1.5}});
    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    Capture capture(player);
    EventLog log(player);
    const PlaylistPtr first = load(player, {{a}});
    const PlaylistPtr second = load(player, {{b, 1}}); // two plays
    const PlaylistPtr third = load(player, {{c}});
    // As the player layer does: the pass after the one that just began.
    QObject::connect(&player, &MediaPlayer::openStateChange, &player, [&](OpenState s) {
        if (s == OpenState::PlaylistChanged && player.currentPlaylist() == second)
            player.setNextPlaylist(third);
    });
    player.setCurrentPlaylist(first);
    player.setNextPlaylist(second);
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 12000)) << log.describe().toStdString();
    runFor(200);
    EXPECT_EQ(log.describe().toStdString(),
              "open(7)@0 open(13)@0 status(3)@0 open(7)@0 open(13)@0 open(13)@0 open(7)@0 "
              "open(13)@0 status(8)@0");
    EXPECT_EQ(player.currentPlaylist(), third);
    const QList<Segment> heard = tones(capture);
    ASSERT_EQ(heard.size(), 3) << describe(heard).toStdString();
    EXPECT_NEAR(heard[1].seconds, 3.0, 0.02);
    EXPECT_LT(capture.longestRunningTimeGapMs(), 2) << "passes must follow without a gap";
}

TEST_F(GstPlayerTest, PrerolledPlaylistStartsFromWhatWasOpenedAndOthersDropIt) {
    const QString a = media("pa400", {{400, 0.3}});
    const QString b = media("pb800", {{800, 0.3}});
    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    Capture capture(player);
    EventLog log(player);
    const PlaylistPtr first = load(player, {{a}});
    player.preroll(first);
    runFor(300);
    EXPECT_TRUE(log.events.isEmpty()) << "opening ahead tells nothing";
    EXPECT_EQ(capture.sampleCount(), 0);
    player.setCurrentPlaylist(first);
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 8000)) << log.describe().toStdString();
    EXPECT_EQ(log.describe().toStdString(), "open(7)@0 open(13)@0 status(3)@0 status(8)@0");

    // Opened ahead, then another playlist comes: that one plays, whole.
    capture.clear();
    log.events.clear();
    player.preroll(load(player, {{a}}));
    runFor(200);
    player.setCurrentPlaylist(load(player, {{b}}));
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 8000)) << log.describe().toStdString();
    const QList<Segment> heard = tones(capture);
    ASSERT_EQ(heard.size(), 1) << describe(heard).toStdString();
    EXPECT_EQ(heard[0].frequency, 800);
    EXPECT_NEAR(heard[0].seconds, 0.3, 0.02);
}

TEST_F(GstPlayerTest, ClipsStartAndStopWhereTheEntrySaysAlsoWhenRepeated) {
    // 400 Hz for one second, then 1600 Hz: a clip across the step shows both
    // its start offset and its length.
    const QString step = media("step400-1600", {{400, 1.0}, {1600, 1.0}});
    const QString q = media("q2400", {{2400, 0.25}});
    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    Capture capture(player);
    EventLog log(player);
    const PlaylistPtr list =
        load(player, {{step, 1, "00:00:00.8", "00:00:00.4"}, {q}, {step, -1, "00:00:01.7", ""}});
    player.setCurrentPlaylist(list);
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 8000)) << log.describe().toStdString();
    EXPECT_EQ(log.describe().toStdString(),
              "open(7)@0 open(13)@0 status(3)@0 open(13)@0 open(13)@1 open(13)@2 status(8)@2");

    const QList<Segment> heard = tones(capture);
    const QList<double> wantPitch{400, 1600, 400, 1600, 2400, 1600};
    const QList<double> wantSeconds{0.2, 0.2, 0.2, 0.2, 0.25, 0.3};
    ASSERT_EQ(heard.size(), wantPitch.size()) << describe(heard).toStdString();
    for (int i = 0; i < heard.size(); ++i) {
        EXPECT_EQ(heard[i].frequency, wantPitch[i]) << i << " " << describe(heard).toStdString();
        EXPECT_NEAR(heard[i].seconds, wantSeconds[i], 0.02)
            << i << " " << describe(heard).toStdString();
    }
}

TEST_F(GstPlayerTest, PauseKeepsPositionWhileAnotherPlayerPlaysOnAtItsOwnVolume) {
    const QString low = media("long400", {{400, 1.2}});
    const QString high = media("long1600", {{1600, 1.2}});
    GstMediaPlayer main(cache, nullptr, captureSinkDescription());
    GstMediaPlayer insert(cache, nullptr, captureSinkDescription());
    Capture mainCapture(main);
    Capture insertCapture(insert);
    EventLog mainLog(main);
    EventLog insertLog(insert);
    main.setCurrentPlaylist(load(main, {{low}}));
    insert.setCurrentPlaylist(load(insert, {{high}}));
    insert.setVolume(50);
    EXPECT_EQ(insert.volume(), 50);
    main.play();
    insert.play();
    ASSERT_TRUE(waitUntil([&] { return mainCapture.seconds() > 0.4; }));

    main.pause();
    EXPECT_EQ(main.playState(), PlayState::Paused);
    ASSERT_TRUE(waitUntil([&] { return mainLog.count(SeenEvent::Status, 2) == 1; }));
    runFor(50);
    const double position = main.currentPosition();
    const double heardAtPause = mainCapture.seconds();
    const double insertAtPause = insertCapture.seconds();
    EXPECT_NEAR(position, heardAtPause, 0.06);
    runFor(300);
    EXPECT_NEAR(mainCapture.seconds(), heardAtPause, 0.01) << "a paused player stays silent";
    EXPECT_NEAR(main.currentPosition(), position, 0.01);
    EXPECT_GT(insertCapture.seconds() - insertAtPause, 0.2) << "the other player plays on";

    main.play();
    ASSERT_TRUE(waitUntil([&] { return ended(mainLog) && ended(insertLog); }, 8000));
    EXPECT_EQ(mainLog.describe().toStdString(),
              "open(7)@0 open(13)@0 status(3)@0 status(2)@0 status(3)@0 "
              "status(8)@0");
    EXPECT_EQ(insertLog.describe().toStdString(), "open(7)@0 open(13)@0 status(3)@0 status(8)@0");

    // Each heard exactly its own file once: nothing lost, nothing repeated.
    const QList<Segment> m = tones(mainCapture);
    const QList<Segment> i = tones(insertCapture);
    ASSERT_EQ(m.size(), 1) << describe(m).toStdString();
    ASSERT_EQ(i.size(), 1) << describe(i).toStdString();
    EXPECT_EQ(m[0].frequency, 400);
    EXPECT_NEAR(m[0].seconds, 1.2, 0.02);
    EXPECT_EQ(i[0].frequency, 1600);
    EXPECT_NEAR(i[0].seconds, 1.2, 0.02);
    // Volume 50 on the perceived scale is 0.125 of the amplitude.
    EXPECT_NEAR(insertCapture.rms() / mainCapture.rms(), 0.125, 0.02);
}

TEST_F(GstPlayerTest, SeekEndlessRepeatAndStop) {
    const QString step = media("step400-1600", {{400, 1.0}, {1600, 1.0}});
    const QString shortTone = media("short2000", {{2000, 0.15}});
    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    Capture capture(player);
    EventLog log(player);
    const PlaylistPtr list = load(player, {{step}, {shortTone, 999999999}});
    player.setCurrentPlaylist(list);
    player.play();
    ASSERT_TRUE(waitUntil([&] { return capture.seconds() > 0.2; }));
    player.setCurrentPosition(1.5);
    ASSERT_TRUE(waitUntil([&] { return log.count(SeenEvent::Position, 0) == 1; }));
    runFor(200);
    EXPECT_GE(player.currentPosition(), 1.5);
    EXPECT_LT(player.currentPosition(), 1.9);

    // The endless entry keeps repeating until stopped.
    ASSERT_TRUE(waitUntil([&] { return log.count(SeenEvent::Open, 13) >= 6; }, 8000))
        << log.describe().toStdString();
    EXPECT_EQ(player.currentMedia().index, 1);
    player.stop();
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    player.stop(); // already stopped: nothing
    const double heard = capture.seconds();
    runFor(300);
    EXPECT_EQ(log.count(SeenEvent::Status, 1), 1) << log.describe().toStdString();
    EXPECT_EQ(log.count(SeenEvent::Status, 8), 0);
    EXPECT_EQ(log.events.last().kind, SeenEvent::Status);
    EXPECT_TRUE(log.events.last().media.isIdentical(list->item(1))); // currentMedia kept
    EXPECT_LT(capture.seconds() - heard, 0.01);

    const QList<Segment> heardTones = tones(capture);
    ASSERT_GE(heardTones.size(), 3) << describe(heardTones).toStdString();
    EXPECT_EQ(heardTones[0].frequency, 400);
    EXPECT_EQ(heardTones[1].frequency, 1600); // after the seek
    EXPECT_NEAR(heardTones[1].seconds, 0.5, 0.03);
    EXPECT_EQ(heardTones[2].frequency, 2000);
    EXPECT_GE(heardTones[2].seconds, 0.55); // four plays and more, gapless
}

TEST_F(GstPlayerTest, NewPlaylistStopsSilentlyAndPauseWhileOpeningIsReportedAfterTheOpen) {
    const QString low = media("long400", {{400, 1.2}});
    const QString b = media("b800", {{800, 0.2}});
    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    Capture capture(player);
    EventLog log(player);
    player.setCurrentPlaylist(load(player, {{low}}));
    player.play();
    ASSERT_TRUE(waitUntil([&] { return capture.seconds() > 0.2; }));
    player.pause();
    player.play();
    player.stop();
    player.play();
    // Whatever is still undelivered belongs to the old playlist: dropped.
    const PlaylistPtr next = load(player, {{b}});
    player.setCurrentPlaylist(next);
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    const double heard = capture.seconds();
    runFor(300);
    EXPECT_LT(capture.seconds() - heard, 0.01) << "the old playlist must fall silent";
    EXPECT_EQ(log.describe().toStdString(), "open(7)@0 open(13)@0 status(3)@0 open(7)@0");
    EXPECT_TRUE(player.currentMedia().isIdentical(next->item(0)));

    // Paused before the entry is open: the open, then Paused; nothing heard.
    log.events.clear();
    capture.clear();
    player.play();
    player.pause();
    EXPECT_EQ(player.playState(), PlayState::Paused);
    ASSERT_TRUE(waitUntil([&] { return log.events.size() >= 2; }));
    runFor(200);
    EXPECT_EQ(log.describe().toStdString(), "open(13)@0 status(2)@0");
    EXPECT_LT(capture.seconds(), 0.03);
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }));
    EXPECT_EQ(log.describe().toStdString(), "open(13)@0 status(2)@0 status(3)@0 status(8)@0");
    const QList<Segment> heardTones = tones(capture);
    ASSERT_EQ(heardTones.size(), 1) << describe(heardTones).toStdString();
    EXPECT_NEAR(heardTones[0].seconds, 0.2, 0.02);
}

TEST_F(GstPlayerTest, FaultyEntriesAreSkippedAndStillEndThePass) {
    const QString a = media("a400", {{400, 0.3}});
    const QString b = media("b800", {{800, 0.2}});
    const QString corrupt = gen().makeCorrupt("corrupt", "mp3");
    const QString corruptWma = gen().makeCorrupt("corrupt", "wma");
    const QString empty = dir.filePath("empty.wav");
    ASSERT_TRUE(MediaGen::writeWav(empty, {}));
    const QString missing = dir.filePath("missing.mp3");
    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    Capture capture(player);
    EventLog log(player);

    // Also a clip that starts past the end of its file, repeated endlessly.
    const PlaylistPtr list = load(player, {{missing},
                                           {a},
                                           {corrupt, 999999999},
                                           {empty, 3},
                                           {b},
                                           {a, 999999999, "00:00:05", ""},
                                           {corruptWma}});
    player.setCurrentPlaylist(list);
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 10000)) << log.describe().toStdString();
    runFor(200);
    EXPECT_EQ(log.describe().toStdString(),
              "open(7)@0 open(13)@1 status(3)@1 open(13)@4 status(8)@6");
    EXPECT_TRUE(log.events.last().media.isIdentical(list->item(6)));
    const QList<Segment> heard = tones(capture);
    ASSERT_EQ(heard.size(), 2) << describe(heard).toStdString();
    EXPECT_EQ(heard[0].frequency, 400);
    EXPECT_EQ(heard[1].frequency, 800);

    // Nothing playable at all: the pass ends at once, without a media open.
    log.events.clear();
    const PlaylistPtr broken = load(player, {{corrupt}, {missing}});
    player.setCurrentPlaylist(broken);
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 5000)) << log.describe().toStdString();
    EXPECT_EQ(log.describe().toStdString(), "open(7)@0 status(8)@1");

    // An empty (unreadable) playlist ends at once too, recognisably.
    log.events.clear();
    const PlaylistPtr none = player.newPlaylist("KOLVA0-1", dir.filePath("no.asx"));
    ASSERT_EQ(none->count(), 0);
    player.setCurrentPlaylist(none);
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 2000));
    EXPECT_TRUE(log.events.last().media.isIdentical(none->item(none->count() - 1)));
}

TEST_F(GstPlayerTest, EverySkippedEntrySaysWhyOnceAndTheGoodOnesAroundItPlay) {
    const QString fifo = dir.filePath("fifo.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString folder = dir.filePath("folder.mp3");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.mp3"));
    const QString device = dir.filePath("device.mp3");
    ASSERT_TRUE(QFile::link("/dev/null", device));
    const QString dangling = dir.filePath("dangling.mp3");
    ASSERT_TRUE(QFile::link(dir.filePath("gone.mp3"), dangling));
    const QString unreadable = dir.filePath("unreadable.wav");
    ASSERT_TRUE(MediaGen::writeWav(unreadable, {{400, 0.1}}));
    ASSERT_TRUE(QFile::setPermissions(unreadable, QFile::Permissions()));

    // A reason ending in "：" is followed by GStreamer's own words. Each bad
    // entry after a good one is known bad to the gapless planning (its
    // length is asked first); the last two follow each other.
    struct Row {
        QString path;
        QString reason;
    };
    QList<Row> rows{{dir.filePath("missing.mp3"), "文件不存在"},
                    {dangling, "文件不存在"},
                    {fifo, "不是普通文件"},
                    {folder, "不是普通文件"},
                    {device, "不是普通文件"},
                    {gen().makeCorrupt("why-corrupt", "mp3"), "无法播放："}};
    if (::geteuid() != 0) // root reads any file
        rows.append({unreadable, "文件不可读"});
    rows.append({gen().makeCorrupt("why-corrupt", "wma"), "无法播放："});
    QList<AsxEntry> entries;
    QList<double> wantHeard;
    for (int i = 0; i < rows.size(); ++i) {
        entries << AsxEntry(rows[i].path);
        cache.lookup(rows[i].path);
        if (i != rows.size() - 2) {
            const double pitch = pitches[wantHeard.size()];
            entries << AsxEntry(media(QStringLiteral("why%1").arg(pitch), {{pitch, 0.2}}));
            cache.lookup(entries.last().file);
            wantHeard << pitch;
        }
    }
    ASSERT_TRUE(waitUntil([&] { return cache.pending() == 0; }, 8000));

    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    Capture capture(player);
    EventLog log(player);
    QList<QPair<QString, QString>> skipped;
    QObject::connect(&player, &MediaPlayer::entrySkipped,
                     [&](const QString &path, const QString &why) {
                         skipped.append({path, why});
                     });
    player.setCurrentPlaylist(load(player, entries));
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 15000)) << log.describe().toStdString();
    runFor(100);
    ASSERT_EQ(skipped.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(skipped[i].first, rows[i].path);
        const QString &why = skipped[i].second;
        if (rows[i].reason.endsWith(u'：'))
            EXPECT_TRUE(why.startsWith(rows[i].reason) && why.size() > rows[i].reason.size())
                << rows[i].path.toStdString() << ": " << why.toStdString();
        else
            EXPECT_EQ(why, rows[i].reason) << rows[i].path.toStdString();
    }
    const QList<Segment> heard = tones(capture);
    ASSERT_EQ(heard.size(), wantHeard.size()) << describe(heard).toStdString();
    for (int i = 0; i < heard.size(); ++i) {
        EXPECT_EQ(heard[i].frequency, wantHeard[i]) << describe(heard).toStdString();
        EXPECT_NEAR(heard[i].seconds, 0.2, 0.03) << describe(heard).toStdString();
    }
}

TEST_F(GstPlayerTest, EveryFormatPlaysAndHasALength) {
    struct Case {
        MediaFormat format;
        double pitch;
        bool required;
    };
    const QList<Case> cases{
        {MediaFormat::Wav, 400, true},   {MediaFormat::Mp3, 800, true},
        {MediaFormat::Wma, 1200, true},  {MediaFormat::Wmv, 1600, true},
        {MediaFormat::Ogg, 2000, false}, {MediaFormat::Flac, 2400, false},
        {MediaFormat::M4a, 2800, false}, {MediaFormat::Opus, 3200, false},
    };
    QList<AsxEntry> entries;
    QList<double> expected;
    for (const Case &c : cases) {
        if (!c.required && !gen().canMake(c.format))
            continue;
        const QString path =
            media("fmt" + MediaGen::extension(c.format), {{c.pitch, 0.4}}, c.format);
        ASSERT_FALSE(path.isEmpty());
        entries << AsxEntry{path};
        expected << c.pitch;
    }
    // A name with Chinese characters, blanks and URI-reserved characters.
    const QString odd = dir.filePath(QString::fromUtf8("歌曲 #1 & 100% 'x'.wav"));
    ASSERT_TRUE(QFile::copy(media("odd3600", {{3600, 0.3}}), odd));
    entries << AsxEntry{odd};
    expected << 3600;

    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    player.warmUp();
    Capture capture(player);
    EventLog log(player);
    player.setCurrentPlaylist(load(player, entries));
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 15000)) << log.describe().toStdString();
    EXPECT_EQ(log.count(SeenEvent::Open, 13), entries.size()) << log.describe().toStdString();
    const QList<Segment> heard = tones(capture);
    QList<double> heardPitches;
    for (const Segment &s : heard)
        heardPitches << s.frequency;
    EXPECT_EQ(heardPitches, expected) << describe(heard).toStdString();
    for (const Segment &s : heard)
        EXPECT_GT(s.seconds, 0.25) << s.frequency;
    // Every format hands over gaplessly, WMV (with its video track) included.
    EXPECT_LT(capture.longestRunningTimeGapMs(), 2);

    // Lengths without playing (never blocking: asked, then known), cached
    // by path, size and time.
    for (const AsxEntry &e : entries)
        ASSERT_TRUE(waitUntil([&] { return player.newMedia(e.file).duration > 0; }, 5000));
    for (const AsxEntry &e : entries) {
        const Media m = player.newMedia(e.file);
        EXPECT_GT(m.duration, 0.25) << e.file.toStdString();
        EXPECT_LT(m.duration, 0.5) << e.file.toStdString();
        EXPECT_EQ(m.sourceURL, e.file);
    }
    EXPECT_EQ(player.newMedia(odd).name, QString::fromUtf8("歌曲 #1 & 100% 'x'"));
    const int discovered = cache.discoveries();
    for (const AsxEntry &e : entries)
        EXPECT_TRUE(cache.isCached(e.file));
    for (const AsxEntry &e : entries)
        player.newMedia(e.file);
    EXPECT_EQ(cache.discoveries(), discovered);
    const QString missing = dir.filePath("missing.mp3");
    const QString corrupt = gen().makeCorrupt("corrupt", "mp3");
    EXPECT_EQ(player.newMedia(missing).duration, 0);
    EXPECT_EQ(player.newMedia(corrupt).duration, 0);
    ASSERT_TRUE(waitUntil([&] { return cache.pending() == 0; }, 5000));
    EXPECT_EQ(player.newMedia(missing).duration, 0);
    EXPECT_EQ(player.newMedia(corrupt).duration, 0);
    // A file that changes is looked at again.
    ASSERT_TRUE(MediaGen::writeWav(odd, {{3200, 0.9}}));
    QFile(odd).setFileTime(QDateTime::currentDateTime().addSecs(5),
                           QFileDevice::FileModificationTime);
    EXPECT_TRUE(
        waitUntil([&] { return std::abs(player.newMedia(odd).duration - 0.9) < 0.01; }, 12000));
}

TEST_F(GstPlayerTest, UnusableOutputFallsBackToSilenceInRealTime) {
    const QString a = media("a400", {{400, 0.3}});
    GstMediaPlayer player(cache, nullptr, "no_such_sink_element_kolva");
    EXPECT_FALSE(player.sinkWarning().isEmpty());
    EventLog log(player);
    player.setCurrentPlaylist(load(player, {{a}, {a}}));
    QElapsedTimer timer;
    timer.start();
    player.play();
    ASSERT_TRUE(waitUntil([&] { return ended(log); }, 5000));
    EXPECT_GT(timer.elapsed(), 550) << "the silent sink keeps real time";
    EXPECT_EQ(log.describe().toStdString(),
              "open(7)@0 open(13)@0 status(3)@0 open(13)@1 status(8)@1");
}

// Silence lasts only while the real output is away: one that comes late (a
// file sink whose folder appears, as a sound server that starts after the
// program) and one that fails in the middle of a song (a server restart) are
// tried again every few seconds, and the song goes on there from where it
// was, in real time, without a second open reported.
TEST_F(GstPlayerTest, OutputThatComesLateOrFailsIsRetriedAndPlaybackReturnsToIt) {
    const QString song = media("a400long", {{400, 4.0}});
    struct Case {
        const char *name;
        QString sink;
        bool availableAtStart;
        int changes; // soundOutputChanged seen at least this often
        int minMs;   // the file sink writes as fast as it can once it is there,
                     // so only the silent stretch before the retry counts
    };
    const QString late = dir.filePath("late");
    const Case cases[] = {
        {"late output", "wavenc ! filesink location=" + late + "/out.wav", false, 1, 2500},
        {"fails mid-song", "identity error-after=8 ! fakesink sync=true", true, 2, 3700},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GstMediaPlayer player(cache, nullptr, c.sink);
        EXPECT_EQ(player.soundOutputAvailable(), c.availableAtStart);
        int changes = 0;
        bool wentSilent = !c.availableAtStart;
        QObject::connect(&player, &MediaPlayer::soundOutputChanged, [&] {
            ++changes;
            wentSilent |= !player.soundOutputAvailable();
        });
        EventLog log(player);
        player.setCurrentPlaylist(load(player, {{song}}));
        QElapsedTimer timer;
        timer.start();
        player.play();
        if (!c.availableAtStart) {
            runFor(800);
            ASSERT_TRUE(QDir().mkpath(late));
        }
        ASSERT_TRUE(waitUntil([&] { return ended(log); }, 12000));
        EXPECT_TRUE(wentSilent);
        EXPECT_GE(changes, c.changes);
        EXPECT_LE(timer.elapsed(), 6800) << "the song went on, not from its start";
        EXPECT_GE(timer.elapsed(), c.minMs) << "nothing skipped";
        EXPECT_EQ(log.describe().toStdString(), "open(7)@0 open(13)@0 status(3)@0 status(8)@0");
        if (!c.availableAtStart) {
            EXPECT_TRUE(player.soundOutputAvailable());
            // The last quarter of the song, from where the silence reached.
            const double share =
                double(QFileInfo(late + "/out.wav").size()) / double(QFileInfo(song).size());
            EXPECT_GT(share, 0.1) << "sound reached the output";
            EXPECT_LT(share, 0.6) << "the song went on from its position";
        }
    }
}

} // namespace

namespace {

// Without a description the default output is used when a device works;
// otherwise a silent sink that keeps time, with the reason.
TEST(GstOutput, DefaultOutputWorksOrFallsBackToARealTimeSilentSink) {
    QString warning;
    GstElement *sink = gst::makeAudioSink(QString(), &warning);
    ASSERT_NE(sink, nullptr);
    GstElementFactory *factory = gst_element_get_factory(sink);
    ASSERT_NE(factory, nullptr);
    const QString name = QString::fromUtf8(GST_OBJECT_NAME(factory));
    if (warning.isEmpty()) {
        EXPECT_EQ(name, "autoaudiosink");
    } else {
        EXPECT_EQ(name, "fakesink") << warning.toStdString();
        gboolean sync = FALSE;
        g_object_get(sink, "sync", &sync, nullptr);
        EXPECT_TRUE(sync);
    }
    gst_object_unref(sink);
}

} // namespace

namespace {

// Sound-only: decodebin can pick no real video decoder, only the dropper.
TEST(GstOutput, NoVideoDecoderIsEligibleButTheDropper) {
    gst::ensureInitialised();
    GList *eligible = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO, GST_RANK_MARGINAL);
    QStringList names;
    for (GList *l = eligible; l; l = l->next)
        names << QString::fromUtf8(GST_OBJECT_NAME(l->data));
    gst_plugin_feature_list_free(eligible);
    EXPECT_EQ(names, QStringList{QString::fromUtf8(gst::videoDropName)});
}

} // namespace
