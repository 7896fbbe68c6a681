#include <gtest/gtest.h>

#include "model/HolidayCalendar.h"
#include "model/PlayDays.h"
#include "model/Task.h"

using namespace kolva;

TEST(PlayDays, CaptionsOfTheUsualSets) {
    const struct {
        uint8_t days;
        const char16_t *caption;
    } cases[] = {
        {0x7F, u""},   {0x1F, u"周一至周五"},   {0x60, u"周六日"}, {0x15, u"一三五"},
        {0x40, u"日"}, {0x3F, u"一二三四五六"}, {0x00, u""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(daysCaption(c.days), QString::fromUtf16(c.caption)) << int(c.days);
        EXPECT_EQ(readDays(daysText(c.days)), c.days) << int(c.days);
    }
}

// One week, Monday 2030-09-30 to Sunday 2030-10-06, with Tuesday a 休 day
// and Saturday a 班 day; the calendar counts only for tasks that follow it.
TEST(PlayDays, DueRuleAcrossAWeekWithHolidayAndMakeUpDays) {
    const HolidayCalendar calendar = HolidayCalendar::fromText(
        QStringLiteral("2030-10-01 休\n2030-10-05 班\n2030-10-06..2030-10-06 休\n"));
    const QDate monday(2030, 9, 30);
    ASSERT_EQ(monday.dayOfWeek(), 1);
    const struct {
        const char *name;
        uint8_t days;
        bool holidays;
        const char *week; // Monday .. Sunday, 1 = plays
    } cases[] = {
        {"every day", 0x7F, false, "1111111"},
        {"every day, calendar", 0x7F, true, "1011110"},
        {"workdays", 0x1F, false, "1111100"},
        {"workdays, calendar", 0x1F, true, "1011110"},
        {"weekend", 0x60, false, "0000011"},
        {"weekend, calendar", 0x60, true, "0000000"}, // 班 Saturday is a working day
        {"Monday only, calendar", 0x01, true, "1000010"},
        {"no day", 0x00, true, "0000000"},
    };
    for (const auto &c : cases) {
        Task t = newTask();
        t.Days = c.days;
        t.Holidays = c.holidays;
        QString week;
        for (int i = 0; i < 7; ++i)
            week += isPlayDay(t, monday.addDays(i), calendar) ? u'1' : u'0';
        EXPECT_EQ(week, QString::fromLatin1(c.week)) << c.name;
    }
}
