#include <gtest/gtest.h>

#include "model/ClockTime.h"

using namespace kolva;

TEST(ClockTime, AcceptsAndNormalisesValidTexts) {
    QString n;
    EXPECT_TRUE(parseTime("1:2:3", nullptr, &n));
    EXPECT_EQ(n, "01:02:03");
    EXPECT_TRUE(parseTime("007:5:9", nullptr, &n));
    EXPECT_EQ(n, "07:05:09");
    EXPECT_TRUE(parseTime("::", nullptr, &n));
    EXPECT_EQ(n, "00:00:00");
    EXPECT_TRUE(parseTime("12:30:00.75", nullptr, &n));
    EXPECT_EQ(n, "12:30:00");
    EXPECT_TRUE(parseTime("12:30:00.75.x", nullptr, &n));
    EXPECT_TRUE(parseTime("23:59:59"));
    EXPECT_TRUE(parseTime("0000000000000000000000000023:0:0"));
}

TEST(ClockTime, RejectsInvalidTextsWithoutTouchingOutputs) {
    for (const char *bad :
         {"", "12:30", "12:30:00:00", "24:00:00", "00:60:00", "00:00:60", " 12:30:00", "12:30:00 ",
          "+1:2:3", "1:-2:3", "１:2:3", "a:b:c", "99999999999999999999:0:0", ".12:00:00"}) {
        QString n = "untouched";
        QTime t(1, 2, 3);
        EXPECT_FALSE(parseTime(QString::fromUtf8(bad), &t, &n)) << bad;
        EXPECT_EQ(n, "untouched") << bad;
        EXPECT_EQ(t, QTime(1, 2, 3)) << bad;
    }
}

TEST(ClockTime, ConvertsToMillisecondsAndTimeOfDay) {
    EXPECT_EQ(timeToMs("00:01:30"), 90000);
    EXPECT_EQ(timeToMs("23:59:59"), 86399000);
    EXPECT_EQ(timeToMs("abc"), 0);
    EXPECT_EQ(timeToDate("abc"), QTime(0, 0, 0));
    EXPECT_EQ(timeToDate("7:8:9"), QTime(7, 8, 9));
    EXPECT_EQ(secondOfDay(u"23:59:59"), 86399);
    EXPECT_EQ(secondOfDay(u"12:30:00.75"), 45000);
    EXPECT_EQ(secondOfDay(u"7:5"), -1);
    EXPECT_TRUE(isDigits(u""));
    EXPECT_FALSE(isDigits(u"1 2"));
}

TEST(ClockTime, FormatsMinutesSecondsRoundedWithGrowingMinutes) {
    EXPECT_EQ(formatMinutesSeconds(59.6), "01:00");
    EXPECT_EQ(formatMinutesSeconds(3725), "62:05");
    EXPECT_EQ(formatMinutesSeconds(6000), "100:00");
    EXPECT_EQ(formatMinutesSeconds(0.5), "00:00"); // half to even
    EXPECT_EQ(formatMinutesSeconds(1.5), "00:02");
    EXPECT_EQ(formatMinutesSeconds(-3), "00:00");
}
