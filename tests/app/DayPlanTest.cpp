// The plan of a day: one table over a week with 休 and 班 days, and the
// plan of a day set against what the schedule then does on simulated time.

#include <gtest/gtest.h>

#include "app/DayPlan.h"
#include "app/MainControllerTestHarness.h"
#include "model/HolidayCalendar.h"

namespace kolva::test {
namespace {

Task bell(const char *title, const char *start, QVector<Region> regions, uint8_t days = kEveryDay) {
    Task t = makeTask(title, start, regions);
    t.Days = days;
    return t;
}

const DayRow *rowOf(const QVector<DayRow> &rows, const QString &title) {
    for (const DayRow &row : rows)
        if (row.title == title)
            return &row;
    return nullptr;
}

TEST(DayPlan, AWeekOfDecisionsAndTheirReasons) {
    const HolidayCalendar calendar =
        HolidayCalendar::fromText("# 测试\n2030-10-01 休 # 国庆\n2030-10-05 班\n");
    TaskList tasks;
    Task school = bell("上课铃", "08:00:00", {song("/m/bell.wav")}, kWorkdays);
    school.Holidays = true;
    tasks << school << bell("周末", "09:00:00", {song("/m/bell.wav")}, kWeekend);
    Task off = bell("停用", "10:00:00", {song("/m/bell.wav")});
    off.Enabled = false;
    tasks << off << bell("坏时间", "25:00:00", {song("/m/bell.wav")})
          << bell("全缺", "11:00:00", {song("/m/gone.wav")})
          << bell("同秒甲", "12:00:00", {song("/m/ten.wav")})
          << bell("同秒乙", "12:00:00", {song("/m/ten.wav")})
          << bell("长播", "13:00:00", {song("/m/hour.wav")})
          << bell("插播", "13:30:00", {song("/m/five.wav"), song("/m/gone.wav")});
    Task capped = bell("限时", "16:00:00", {song("/m/hour.wav", -1)});
    capped.Duration = "00:10:00";
    capped.PowerOff = true;
    tasks << capped;
    const SongFacts facts{{"/m/bell.wav", {{}, 5.0}},
                          {"/m/gone.wav", {"文件不存在", std::nullopt}},
                          {"/m/ten.wav", {{}, 10.0}},
                          {"/m/hour.wav", {{}, 3600.0}},
                          {"/m/five.wav", {{}, 300.0}}};

    struct Case {
        QDate date;
        const char *title;
        bool plays;
        const char *reason; // the whole reason
        const char *end;    // "" : not looked at
    };
    const QDate monday(2030, 9, 30), holiday(2030, 10, 1), madeUp(2030, 10, 5), sunday(2030, 10, 6);
    const Case cases[] = {
        {monday, "上课铃", true, "", "约08:00:05"},
        {monday, "周末", false, "非播放日(周一)", ""},
        {holiday, "上课铃", false, "节假日(休)：第2行「2030-10-01 休 # 国庆」", ""},
        {madeUp, "上课铃", true, "调休上班日：第3行「2030-10-05 班」", ""},
        {madeUp, "周末", true, "", ""}, // ignores the calendar
        {sunday, "上课铃", false, "非播放日(周日)", ""},
        {monday, "停用", false, "已禁用", ""},
        {monday, "坏时间", false, "开始时间无效（25:00:00）", ""},
        {monday, "全缺", false, "没有可播放的文件", ""},
        {monday, "同秒甲", true, "", "约12:00:10"},
        {monday, "同秒乙", false, "与「同秒甲」同一秒开始，不开始", ""},
        // The insert pauses the long task, which then plays on for as long.
        {monday, "插播", true,
         "2首中有1首文件不存在；插播：此时「长播」在播放，「长播」暂停，插播结束后继续",
         "约13:35:00"},
        {monday, "长播", true, "", "约14:05:00"},
        {monday, "限时", true, "到时停止，不关机", "16:10:00"},
    };
    for (const Case &c : cases) {
        const QVector<DayRow> rows = planDay(tasks, c.date, calendar, facts);
        const DayRow *row = rowOf(rows, QString::fromUtf8(c.title));
        ASSERT_TRUE(row) << c.title;
        const std::string where = c.date.toString(Qt::ISODate).toStdString() + " " + c.title;
        EXPECT_EQ(row->plays, c.plays) << where;
        EXPECT_EQ(row->reason, QString::fromUtf8(c.reason)) << where;
        if (*c.end) {
            EXPECT_EQ(endText(row->end), QString::fromUtf8(c.end)) << where;
        }
    }
    // Start-time order, the invalid start last; one preview line per task.
    const QVector<DayRow> rows = planDay(tasks, monday, calendar, facts);
    EXPECT_EQ(rows.first().title, "上课铃");
    EXPECT_EQ(rows.last().title, "坏时间");
    EXPECT_EQ(previewLine(rows.last()), "--:--:--\t坏时间\t不播放\t开始时间无效（25:00:00）");
    // Lengths not known yet: said so, never guessed.
    EXPECT_EQ(endText(rowOf(planDay(tasks, monday, calendar, {}), "长播")->end), "长度未知");
}

// The plan of today, then the schedule runs the day on simulated time: what
// the plan says plays is what starts, an insert is an insert, and the
// paused task ends when the plan said.
TEST(DayPlan, SaysWhatTheScheduleThenDoes) {
    ControllerRig rig(QTime(7, 59, 55));
    rig.mainPlayer.setMediaDuration("/m/long.wav", 120);
    rig.insertPlayer.setMediaDuration("/m/short.wav", 30);
    Task disabled = makeTask("停用", "08:00:30", {song("/m/short.wav")});
    disabled.Enabled = false;
    Task weekend = makeTask("周末", "08:00:40", {song("/m/short.wav")});
    weekend.Days = kWeekend; // the rig's day is a Monday
    const TaskList tasks{makeTask("长播", "08:00:00", {song("/m/long.wav")}),
                         makeTask("同秒", "08:00:00", {song("/m/short.wav")}), disabled, weekend,
                         makeTask("插播", "08:01:00", {song("/m/short.wav")})};
    const SongFacts facts{{"/m/long.wav", {{}, 120.0}}, {"/m/short.wav", {{}, 30.0}}};
    const QVector<DayRow> plan = planDay(tasks, rig.clock.date(), HolidayCalendar(), facts);
    rig.startUp(tasks);
    rig.runUntil(QTime(8, 3, 0));

    QStringList planned, started;
    for (const DayRow &row : plan) {
        if (row.plays)
            planned << row.title + (row.reason.startsWith("插播") ? "|插播" : "|主播");
    }
    for (const QString &line : rig.history(PlayHistory::Started))
        started << line.section(' ', 0, 0);
    EXPECT_EQ(planned, started);
    // The long task played 120 s around a 30 s insert: it ended at 08:02:30.
    EXPECT_EQ(endText(rowOf(plan, "长播")->end), "约08:02:30");
    QString playedOut;
    for (const QString &line : rig.historyLines())
        if (line.contains("\t播完\t长播"))
            playedOut = line.mid(11, 8);
    EXPECT_NEAR(QTime(0, 0).secsTo(QTime::fromString(playedOut, "HH:mm:ss")), 8 * 3600 + 150, 2)
        << playedOut.toStdString();
}

} // namespace
} // namespace kolva::test
