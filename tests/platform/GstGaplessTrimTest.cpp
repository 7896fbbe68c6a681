// MP3 encoder delay and padding dropped on the real player, heard through the
// capturing sink: no silence at any joint with an MP3 (repeated, followed by
// another MP3 or a WAV), the tones exactly as long as encoded, whether the
// file's figures are applied by GStreamer itself (LAME's) or by the filter
// (ffmpeg's), and clips (seeks) of an MP3 still as long as they say.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/GstMediaPlayer.h"
#include "platform/PlayerHarness.h"
#include "support/MediaGen.h"

using namespace kolva;
using namespace kolva::test;

namespace {

const QList<double> pitches{400, 800, 1200, 1600};

QString describe(const QList<Segment> &segments) {
    QStringList parts;
    for (const Segment &s : segments)
        parts << QStringLiteral("%1Hz:%2s").arg(s.frequency).arg(s.seconds, 0, 'f', 4);
    return parts.join(' ');
}

struct Heard {
    QList<Segment> tones; // silence left out
    double leadingMs = 0;
    double innerMs = 0;
    double runningGapMs = 0;
};

Heard playToEnd(const QList<AsxEntry> &entries) {
    static MediaGen gen;
    QTemporaryDir dir;
    MediaInfoCache cache{5000, 500};
    GstMediaPlayer player(cache, nullptr, captureSinkDescription());
    Capture capture(player);
    EventLog log(player);
    // Lengths known first, so that every unclipped entry is handed over.
    for (const AsxEntry &e : entries)
        cache.lookup(e.file);
    waitUntil([&] {
        for (const AsxEntry &e : entries) {
            if (!cache.lookup(e.file))
                return false;
        }
        return true;
    });
    player.setCurrentPlaylist(
        player.newPlaylist("KOLVA0-1", writeAsx(dir.filePath("list.asx"), entries)));
    player.play();
    EXPECT_TRUE(waitUntil([&] { return log.count(SeenEvent::Status, 8) > 0; }, 15000))
        << log.describe().toStdString();
    Heard h;
    for (const Segment &s : capture.segments(pitches, 0.01)) {
        if (s.frequency > 0)
            h.tones << s;
    }
    h.leadingMs = capture.leadingSilenceMs();
    h.innerMs = capture.longestInnerSilenceMs();
    h.runningGapMs = capture.longestRunningTimeGapMs();
    return h;
}

} // namespace

TEST(GaplessTrim, NoSilenceAtAnyJointWithAnMp3AndEveryToneAsLongAsEncoded) {
    MediaGen gen;
    const QString wavA = gen.make("gt-wav1200", {{1200, 0.3}});
    const QString wavB = gen.make("gt-wav1600", {{1600, 0.2}});
    for (const char *encoder : {"Lavc59.37", "LAME3.100"}) {
        SCOPED_TRACE(encoder);
        const QString mp3A =
            gen.makeTaggedMp3(QStringLiteral("gt-400-") + encoder, {{400, 0.5}}, encoder);
        const QString mp3B =
            gen.makeTaggedMp3(QStringLiteral("gt-800-") + encoder, {{800, 0.4}}, encoder);
        ASSERT_FALSE(mp3A.isEmpty() || mp3B.isEmpty());

        // MP3 first, repeated, then MP3, WAV, MP3: every kind of joint.
        const Heard h = playToEnd({{mp3A, 1}, {mp3B}, {wavA}, {mp3B}, {wavB}});
        ASSERT_EQ(h.tones.size(), 5) << describe(h.tones).toStdString();
        const QList<std::pair<double, double>> expected{
            {400, 1.0}, {800, 0.4}, {1200, 0.3}, {800, 0.4}, {1600, 0.2}};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(h.tones[i].frequency, expected[i].first) << describe(h.tones).toStdString();
            // Untrimmed, every MP3 play would be 47 ms longer (25 + 22 ms).
            EXPECT_NEAR(h.tones[i].seconds, expected[i].second, 0.006)
                << describe(h.tones).toStdString();
        }
        EXPECT_LE(h.leadingMs, 2) << "the first MP3 starts with its sound";
        EXPECT_LE(h.innerMs, 2) << "no silence at a joint";
        EXPECT_LT(h.runningGapMs, 2) << "running time continuous";
    }
}

TEST(GaplessTrim, ClippedMp3StillPlaysItsClipAfterEverySeek) {
    MediaGen gen;
    for (const char *encoder : {"Lavc59.37", "LAME3.100"}) {
        SCOPED_TRACE(encoder);
        const QString mp3 = gen.makeTaggedMp3(QStringLiteral("gt-clip-") + encoder,
                                              {{800, 0.3}, {400, 0.4}}, encoder);
        ASSERT_FALSE(mp3.isEmpty());
        // The clip lies inside the 400 Hz part; its repeat seeks again.
        const Heard h = playToEnd({{mp3, 1, "00:00:00.400", "00:00:00.200"}});
        double heard = 0;
        for (const Segment &s : h.tones) {
            EXPECT_EQ(s.frequency, 400) << describe(h.tones).toStdString();
            heard += s.seconds;
        }
        EXPECT_NEAR(heard, 0.4, 0.02) << describe(h.tones).toStdString();
    }
}
