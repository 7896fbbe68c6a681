// Play days on simulated time: a Monday-to-Friday bell that follows the
// holiday calendar rings on workdays and on a 班 Saturday, stays silent on a
// 休 day and on Sunday, and a calendar edited while running counts at once.

#include <gtest/gtest.h>

#include <QFile>

#include "app/MainControllerTestHarness.h"

namespace kolva::test {
namespace {

void writeCalendar(const QString &path, const QByteArray &text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

TEST(MainControllerPlayDays, WorkdayBellAcrossAWeekWithHolidayAndMakeUpDays) {
    ControllerRig rig(QTime(7, 0, 0));
    rig.mainPlayer.setDefaultDuration(2);
    QDate today(2030, 9, 30); // a Monday
    rig.controller.setDateSource([&] { return today; });
    writeCalendar(rig.paths.holidayFile(), "2030-10-01 休\n2030-10-05 班 # 调休\nbad line\n");

    Task bell = makeTask("bell", "08:00:00", {makeRegion("r", {{"/m/bell.mp3"}})});
    bell.Days = 0x1F;
    bell.Holidays = true;
    Task daily = makeTask("daily", "09:00:00", {makeRegion("r", {{"/m/daily.mp3"}})});
    rig.startUp({bell, daily});

    QString rang, dailyRang, shownDue;
    for (int day = 0; day < 7; ++day) {
        today = QDate(2030, 9, 30).addDays(day);
        if (day == 3) // Thursday: made a holiday by hand while running
            writeCalendar(rig.paths.holidayFile(),
                          "2030-10-01 休\n2030-10-05 班 # 调休\nbad line\n2030-10-03 休\n");
        // The wall clock moves on to 07:59:50 of that day (a new date).
        rig.clock.shiftWall(rig.clock.timeOfDay().msecsTo(QTime(7, 59, 50)) +
                            (day > 0 ? 86400000 : 0));
        const int before = int(rig.mainPlayer.calls.count("newPlaylist KOLVA0-0"));
        const int dailyBefore = int(rig.mainPlayer.calls.count("newPlaylist KOLVA1-0"));
        rig.runUntil(QTime(8, 0, 10));
        shownDue += rig.controller.playsToday(rig.controller.tasks()[0]) ? u'1' : u'0';
        rig.runUntil(QTime(9, 0, 10));
        rang += rig.mainPlayer.calls.count("newPlaylist KOLVA0-0") > before ? u'1' : u'0';
        dailyRang += rig.mainPlayer.calls.count("newPlaylist KOLVA1-0") > dailyBefore ? u'1' : u'0';
    }
    EXPECT_EQ(rang, "1010110");
    EXPECT_EQ(shownDue, rang);
    EXPECT_EQ(dailyRang, "1111111"); // a task without play days is untouched
    // The unreadable line is said once for each version of the file.
    EXPECT_EQ(rig.errors.filter(u"第3行").size(), 2) << rig.errors.join('\n').toStdString();
}

} // namespace
} // namespace kolva::test
