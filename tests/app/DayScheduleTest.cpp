// The day view's state: the files looked at on a worker and the lengths
// answered later reach the plan; the history of the day is read off the UI
// thread, and lines appended meanwhile are shown once.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "app/DaySchedule.h"
#include "model/HolidayCalendar.h"
#include "support/FakeMediaLengths.h"
#include "support/TaskBuilders.h"

namespace kolva::test {
namespace {

template <typename Done> bool pollUntil(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST(DaySchedule, FilesLengthsAndTheHistoryArriveLaterAndOnce) {
    QTemporaryDir dir;
    const QString song = dir.filePath("bell.wav"), gone = dir.filePath("gone.wav");
    QFile(song).open(QIODevice::WriteOnly);
    const QString history = dir.filePath("history.log");
    QFile file(history);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("2030-09-29 08:00:00.001\t开始\t昨天\t主播\n"
               "2030-09-30 08:00:00.002\t开始\t铃\t主播 晚2毫秒\n");
    file.close();

    const TaskList tasks{makeTask("铃", "08:00:00", {makeRegion("r", {{song}, {gone}})})};
    const HolidayCalendar calendar;
    FakeMediaLengths lengths;
    DaySchedule day({[&]() -> const TaskList & { return tasks; },
                     [&]() -> const HolidayCalendar & { return calendar; },
                     [] { return QDate(2030, 9, 30); }, history},
                    &lengths);
    // Appended while the read runs: one line the file already holds, one new.
    ASSERT_TRUE(day.historyLoading());
    day.historyAppended("2030-09-30 08:00:00.002\t开始\t铃\t主播 晚2毫秒");
    day.historyAppended("2030-09-30 08:00:05.000\t播完\t铃\t");
    day.historyAppended("2030-09-29 09:00:00.000\t播完\t昨天\t"); // another day

    ASSERT_TRUE(pollUntil([&] { return !day.historyLoading(); }));
    QStringList shown;
    for (const HistoryLine &line : day.history())
        shown << line.timeOfDay() + ' ' + line.event;
    EXPECT_EQ(shown, QStringList({"08:00:00 开始", "08:00:05 播完"}));

    ASSERT_TRUE(pollUntil([&] { return day.rows().value(0).reason.contains("文件不存在"); }));
    EXPECT_EQ(day.rows()[0].reason, "2首中有1首文件不存在");
    EXPECT_FALSE(day.allFilesKnown());
    EXPECT_EQ(endText(day.rows()[0].end), "长度未知");
    lengths.answer(song, 5);
    ASSERT_TRUE(pollUntil([&] { return endText(day.rows()[0].end) == "约08:00:05"; }));
    EXPECT_TRUE(day.allFilesKnown());

    // A day to come has no history to read.
    day.stepDays(1);
    EXPECT_FALSE(day.hasHistory());
    EXPECT_TRUE(day.history().isEmpty());
}

} // namespace
} // namespace kolva::test
