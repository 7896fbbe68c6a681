#include <gtest/gtest.h>

#include <functional>

#include "model/TaskValidation.h"

using namespace kolva;

namespace {

TaskForm validForm() {
    TaskForm f;
    f.title = "早操";
    f.volume = "-1";
    f.startTime = "08:30:00";
    return f;
}

Region region(const QString &title, int volume, const QString &duration) {
    Region r = newRegion();
    r.Title = title;
    r.Volume = volume;
    r.Duration = duration;
    return r;
}

} // namespace

TEST(TaskValidation, VolumeBoxReading) {
    struct Case {
        const char *text;
        int stored;
        bool accepted;
    } cases[] = {
        {"abc", 0, true},    {"100.4", 100, true}, {"100.6", 101, false}, {"-0.4", 0, false},
        {"50.5", 50, true},  {"51.5", 52, true},   {"1 0\t0", 100, true}, {"1\n5", 15, true},
        {"150", 150, false}, {"-1", -1, false},    {"70%", 70, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(volumeBoxNumber(QString::fromUtf8(c.text)), c.stored);
        EXPECT_EQ(volumeBoxInRange(QString::fromUtf8(c.text)), c.accepted);
    }
}

TEST(TaskValidation, MessagesInOrderJoinedByCrLf) {
    struct Case {
        const char *name;
        std::function<void(TaskForm &)> change;
        QString errors;
    } cases[] = {
        {"valid", [](TaskForm &) {}, ""},
        {"title and volume",
         [](TaskForm &f) {
             f.title = "";
             f.ownVolume = true;
             f.volume = "150";
         },
         "任务标题不可以为空;\r\n任务音量输入错误，取值范围为[0,100];"},
        {"only volume",
         [](TaskForm &f) {
             f.ownVolume = true;
             f.volume = "100.6";
         },
         "\r\n任务音量输入错误，取值范围为[0,100];"},
        {"default volume not checked", [](TaskForm &f) { f.volume = "999"; }, ""},
        {"empty start", [](TaskForm &f) { f.startTime = ""; },
         "\r\n任务开始时间不可以为空;\r\n任务开始时间格式有误，请参照示例;"},
        {"bad start", [](TaskForm &f) { f.startTime = "25:00:00"; },
         "\r\n任务开始时间格式有误，请参照示例;"},
        {"bad duration", [](TaskForm &f) { f.duration = "x"; },
         "\r\n任务时长格式有误。格式参照开始时间;"},
        {"duration ignored in stop mode",
         [](TaskForm &f) {
             f.stopTimeMode = true;
             f.duration = "x";
         },
         ""},
        {"bad stop time",
         [](TaskForm &f) {
             f.stopTimeMode = true;
             f.stopTime = "9:61:00";
         },
         "\r\n停止时间格式有误。格式参照开始时间;"},
        {"no play day between start and duration",
         [](TaskForm &f) {
             f.startTime = "x";
             f.days = 0;
             f.duration = "x";
         },
         "\r\n任务开始时间格式有误，请参照示例;\r\n任务至少要选择一个播放日;"
         "\r\n任务时长格式有误。格式参照开始时间;"},
        {"stop time ignored in duration mode", [](TaskForm &f) { f.stopTime = "x"; }, ""},
        {"regions 1, 3, 4",
         [](TaskForm &f) {
             f.regions = {
                 {1, region("", -1, "")}, {3, region("b", -2, "")}, {4, region("c", 101, "1:2")}};
         },
         "\r\n第1个区间：标题不能为空;\r\n第3个区间：音量输入错误，取值范围为[0,100];"
         "\r\n第4个区间：音量输入错误，取值范围为[0,100];\r\n第4个区间：时长格式有误，请参照示例;"},
        {"catch-up minutes after the stop time, before the regions",
         [](TaskForm &f) {
             f.stopTimeMode = true;
             f.stopTime = "x";
             f.catchUp = TaskForm::CatchUp::Minutes;
             f.catchUpMinutes = "1441";
             f.regions = {{1, region("", -1, "")}};
         },
         "\r\n停止时间格式有误。格式参照开始时间;\r\n补播时间应为0到1440分钟;"
         "\r\n第1个区间：标题不能为空;"},
        {"catch-up minutes that are no number",
         [](TaskForm &f) {
             f.catchUp = TaskForm::CatchUp::Minutes;
             f.catchUpMinutes = "3分";
         },
         "\r\n补播时间应为0到1440分钟;"},
        {"catch-up box ignored in another mode",
         [](TaskForm &f) {
             f.catchUp = TaskForm::CatchUp::Window;
             f.catchUpMinutes = "x";
         },
         ""},
        {"region volume -1 and 0..100",
         [](TaskForm &f) {
             f.regions = {{1, region("a", -1, "")}, {2, region("b", 100, "0:1:0")}};
         },
         ""},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        TaskForm f = validForm();
        c.change(f);
        EXPECT_EQ(validateTask(f), c.errors);
    }
}

TEST(TaskValidation, NormalisesCheckedTimesAndWritesTheRecord) {
    TaskForm f = validForm();
    f.title = ""; // refused, but the times are still normalised
    f.startTime = "8:30:0";
    f.duration = "0:5:0";
    f.stopTime = "7:0:0"; // not checked in duration mode
    f.regions = {{1, region("a", -1, "0:1:0")}};
    EXPECT_FALSE(validateTask(f).isEmpty());
    EXPECT_EQ(f.startTime, "08:30:00");
    EXPECT_EQ(f.duration, "00:05:00");
    EXPECT_EQ(f.stopTime, "7:0:0");
    EXPECT_EQ(f.regions[0].region.Duration, "0:1:0");

    // Regions stored in display order with fresh ids; stop time dropped.
    f.title = "t";
    f.ownVolume = true;
    f.volume = "51.5";
    f.regions = {{1, region("a", -1, "")}, {3, region("c", 20, "")}, {4, region("d", 30, "")}};
    Song s;
    s.SongFile = "/m/a.mp3";
    s.Repeat = 2;
    s.StartTime = "00:00:05";
    s.SongID = 9;
    f.regions[1].region.Songs = {s};
    f.regions[1].region.RegionID = 7;
    f.days = kWorkdays;
    f.holidays = true;
    f.device = "alsa_output.usb-x";
    ASSERT_EQ(validateTask(f), "");
    Task t = newTask();
    t.TaskID = 5;
    applyTaskForm(f, t);
    EXPECT_EQ(t.TaskID, 5);
    EXPECT_EQ(t.Volume, 52);
    EXPECT_EQ(t.Duration, "00:05:00");
    EXPECT_EQ(t.StopTime, "");
    EXPECT_EQ(t.Days, kWorkdays);
    EXPECT_TRUE(t.Holidays);
    EXPECT_EQ(t.Device, "alsa_output.usb-x");
    ASSERT_EQ(t.Regions.size(), 3);
    EXPECT_EQ(t.Regions[1].Title, "c");
    EXPECT_EQ(t.Regions[1].RegionID, 0);
    ASSERT_EQ(t.Regions[1].Songs.size(), 1);
    EXPECT_EQ(t.Regions[1].Songs[0].SongFile, "/m/a.mp3");
    EXPECT_EQ(t.Regions[1].Songs[0].Repeat, 2);
    EXPECT_EQ(t.Regions[1].Songs[0].SongID, 0);
    EXPECT_TRUE(t.Regions[0].Songs.isEmpty());

    // And back: the form of the record shows what was saved.
    const TaskForm back = taskFormOf(t);
    EXPECT_TRUE(back.ownVolume);
    EXPECT_EQ(back.volume, "52");
    EXPECT_FALSE(back.stopTimeMode);
    EXPECT_EQ(back.days, kWorkdays);
    EXPECT_TRUE(back.holidays);
    EXPECT_EQ(back.device, "alsa_output.usb-x");
    EXPECT_EQ(back.regions[2].number, 3);

    f.ownVolume = false;
    f.stopTimeMode = true;
    applyTaskForm(f, t);
    EXPECT_EQ(t.Volume, -1);
    EXPECT_EQ(t.Duration, "");
    EXPECT_EQ(t.StopTime, "7:0:0");
}

TEST(TaskValidation, CatchUpChoicesGoToTheRecordAndBack) {
    const struct {
        TaskForm::CatchUp choice;
        const char *minutes;
        int32_t stored;
        const char *shownMinutes; // the box when the record is shown again
    } cases[] = {{TaskForm::CatchUp::OneMinute, "30", kDefaultCatchUp, "30"},
                 {TaskForm::CatchUp::Minutes, " 45 ", 45, "45"},
                 {TaskForm::CatchUp::Window, "", kCatchUpWindow, "30"},
                 {TaskForm::CatchUp::Never, "", 0, "30"}};
    for (const auto &c : cases) {
        TaskForm f = validForm();
        f.catchUp = c.choice;
        f.catchUpMinutes = c.minutes;
        ASSERT_EQ(validateTask(f), "");
        Task t = newTask();
        applyTaskForm(f, t);
        EXPECT_EQ(t.CatchUp, c.stored);
        const TaskForm back = taskFormOf(t);
        EXPECT_EQ(back.catchUp, c.choice);
        EXPECT_EQ(back.catchUpMinutes, c.shownMinutes);
    }
}
