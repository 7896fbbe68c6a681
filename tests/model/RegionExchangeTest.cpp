// Song texts and song lists as the task editor and its controls exchange them.
#include <gtest/gtest.h>

#include "model/RegionExchange.h"
#include "support/SongRecord.h"

using namespace kolva;

using kolva::test::song;

TEST(RegionExchange, SongTextRoundTripAndLenientReading) {
    struct Case {
        QString text;
        Song expected;
        bool roundTrip; // songText gives the text back
    };
    const Case cases[] = {
        {"0|||/music/a.mp3", song(0, "", "", "/music/a.mp3"), true},
        {"-1|00:00:10|00:00:30|/m/b.wav", song(-1, "00:00:10", "00:00:30", "/m/b.wav"), true},
        {"3|||/m/a|b|c.mp3", song(3, "", "", "/m/a|b|c.mp3"), true},
        {QStringLiteral("2|||/音乐/早操 #1 100% & 歌.mp3"),
         song(2, "", "", QStringLiteral("/音乐/早操 #1 100% & 歌.mp3")), true},
        {"2.5x|||f", song(2, "", "", "f"), false}, // leading number, halves to even
        {"abc|||f", song(0, "", "", "f"), false},
        {"1|00:01:00", song(1, "00:01:00", "", ""), false}, // missing fields are empty
        {"", song(0, "", "", ""), false},
    };
    for (const Case &c : cases) {
        const Song got = songFromText(c.text);
        EXPECT_EQ(got.Repeat, c.expected.Repeat) << c.text.toStdString();
        EXPECT_EQ(got.StartTime, c.expected.StartTime) << c.text.toStdString();
        EXPECT_EQ(got.Duration, c.expected.Duration) << c.text.toStdString();
        EXPECT_EQ(got.SongFile, c.expected.SongFile) << c.text.toStdString();
        if (c.roundTrip) {
            EXPECT_EQ(songText(got), c.text);
        }
    }
}

TEST(RegionExchange, SongListCountsAndElements) {
    EXPECT_EQ(songArray({}), QStringList{"0"});
    const QVector<Song> two = {song(0, "", "", "/a.mp3"), song(-1, "", "00:00:05", "/b|c.mp3")};
    const QStringList array = songArray(two);
    EXPECT_EQ(array, (QStringList{"2", "0|||/a.mp3", "-1||00:00:05|/b|c.mp3"}));
    const QVector<Song> back = songsFromArray(array);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[1].SongFile, "/b|c.mp3");
    EXPECT_EQ(back[1].Duration, "00:00:05");

    // Element 0 is only tested against 0; the elements after it are the songs.
    EXPECT_TRUE(songsFromArray({"0"}).isEmpty());
    EXPECT_TRUE(songsFromArray({"0", "0|||/ignored.mp3"}).isEmpty());
    EXPECT_TRUE(songsFromArray({}).isEmpty());
    EXPECT_EQ(songsFromArray({"5", "0|||/a.mp3"}).size(), 1);
}
