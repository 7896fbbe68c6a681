#include <gtest/gtest.h>

#include "base/Helpers.h"
#include "model/NumberText.h"
#include "model/Task.h"

using namespace kolva;

TEST(NumberText, LeadingNumberRoundedHalfToEven) {
    EXPECT_EQ(readNumber(u"70%"), 70);
    EXPECT_EQ(readNumber(u"   42abc"), 42);
    EXPECT_EQ(readNumber(u"abc"), 0);
    EXPECT_EQ(readNumber(u""), 0);
    EXPECT_EQ(readNumber(u"-1"), -1);
    EXPECT_EQ(readNumber(u"+7"), 7);
    EXPECT_EQ(readNumber(u"2.5"), 2);
    EXPECT_EQ(readNumber(u"3.5"), 4);
    EXPECT_EQ(readNumber(u"-2.5"), -2);
    EXPECT_EQ(readNumber(u".5"), 0);
    EXPECT_EQ(readNumber(u"1.5e1x"), 15);
    EXPECT_EQ(readNumber(u"1e"), 1);
    EXPECT_EQ(readNumber(u"- 5"), 0);
    EXPECT_EQ(readNumber(u"99999999999999"), 2147483647);
    EXPECT_EQ(readNumber(u"-1e400"), -2147483647 - 1);
    EXPECT_EQ(readNumber(u"1e-400"), 0);
    EXPECT_EQ(readNumber(u"１２"), 0); // full-width digits are not a number
}

TEST(Records, BlankRecordsAndRegionLookup) {
    const Task t = newTask();
    EXPECT_EQ(t.Volume, 100);
    EXPECT_TRUE(t.Enabled);
    EXPECT_FALSE(t.PowerOff);
    EXPECT_EQ(newRegion().Volume, -1);

    Task playing = newTask();
    playing.TaskID = 4;
    Region r = newRegion();
    r.RegionID = 3;
    r.Songs = {Song{"/a.mp3", 1, "", "", 4, 3, 0}};
    playing.Regions = {r};
    EXPECT_EQ(findRegionIndex(newTask(), 0), -1);
    EXPECT_EQ(findRegionIndex(playing, 3), 0);
    const Region missing = getRegionByID(playing, 9);
    EXPECT_EQ(missing.Volume, 0);
    EXPECT_TRUE(missing.Title.isEmpty());
    EXPECT_EQ(getRegionByID(playing, 3).Songs[0].SongFile, "/a.mp3");
}

TEST(Helpers, MinKeepsTheFirstOnTies) {
    EXPECT_EQ(minOf(120, 100), 100);
    // Ties return the first argument: visible with signed zeros.
    EXPECT_FALSE(std::signbit(minOf(0.0, -0.0)));
}
