// Missed starts on the fake clock: the program started after a task's
// second (within its CatchUp, beyond it, a Window, never), a restart after
// the task played, a sleep over two tasks, the wall clock set forward and
// back, and the daylight-saving hour skipped and repeated.

#include <gtest/gtest.h>

#include <QFile>
#include <QTimeZone>

#include "app/MainControllerTestHarness.h"

// Readable failures: the texts, not their bytes.
inline void PrintTo(const QString &text, std::ostream *os) {
    *os << text.toStdString();
}

namespace kolva::test {
namespace {

Task catchUpTask(const char *title, const char *start, int32_t catchUp, const char *duration = "",
                 const char *stop = "") {
    Task t = makeTask(title, start, {makeRegion("r", {{"/m/long.mp3"}})});
    t.CatchUp = catchUp;
    t.Duration = duration;
    t.StopTime = stop;
    return t;
}

QDateTime utc(int month, int day, QTime time) {
    return QDateTime(QDate(2026, month, day), time, QTimeZone::utc());
}

TEST(CatchUp, MissedStartsAreCaughtUpOrReportedOnceEach) {
    struct Case {
        const char *name;
        QTime startUp;
        TaskList tasks;
        std::function<void(ControllerRig &)> setUp; // before the start-up (history, zone)
        std::function<void(ControllerRig &)> act;
        QStringList caughtUp; // 补播 lines, "title|detail"
        QStringList missed;   // 错过 lines
        QStringList starts;   // titles of the 开始 lines
    };
    const auto none = [](ControllerRig &) {};
    const auto writeHistory = [](const char *line) {
        return [line](ControllerRig &r) {
            QFile f(r.paths.historyFile());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("2026-03-02 ") + line + '\n');
        };
    };
    const auto berlin = [](QDateTime at) {
        return [at](ControllerRig &r) {
            r.clock.setZone(QTimeZone("Europe/Berlin"));
            r.clock.setWall(at);
        };
    };
    const QVector<Case> cases = {
        {"started within its minute",
         QTime(8, 0, 20),
         {catchUpTask("T", "08:00:00", 1)},
         none,
         [](ControllerRig &r) { r.run(3000); },
         {"T|补播 晚21秒（程序未运行）"},
         {},
         {"T"}},
        {"started beyond its minute",
         QTime(8, 2, 0),
         {catchUpTask("T", "08:00:00", 1)},
         none,
         [](ControllerRig &r) { r.run(3000); },
         {},
         {"T|程序未运行，08:00:00 的开始晚了2分1秒，超过补播时间1分钟"},
         {}},
        {"never late",
         QTime(8, 0, 20),
         {catchUpTask("T", "08:00:00", 0)},
         none,
         [](ControllerRig &r) { r.run(3000); },
         {},
         {"T|程序未运行，08:00:00 的开始晚了21秒，不补播"},
         {}},
        {"within its window up to its stop time",
         QTime(9, 30, 0),
         {catchUpTask("T", "08:00:00", kCatchUpWindow, "", "12:00:00")},
         none,
         [](ControllerRig &r) { r.run(3000); },
         {"T|补播 晚1小时30分1秒（程序未运行）"},
         {},
         {"T"}},
        {"the latest of two in their windows",
         QTime(8, 0, 0),
         {catchUpTask("A", "07:50:00", 30), catchUpTask("B", "07:55:00", 30)},
         none,
         [](ControllerRig &r) { r.run(3000); },
         {"B|补播 晚5分1秒（程序未运行）"},
         {"A|程序未运行，07:50:00 的开始由「B」的补播代替"},
         {"B"}},
        {"a restart after it played",
         QTime(8, 0, 30),
         {catchUpTask("T", "08:00:00", 1)},
         writeHistory("08:00:00.005\t开始\tT\t主播 晚5毫秒"),
         [](ControllerRig &r) { r.run(3000); },
         {},
         {},
         {"T"}}, // the line of the first run only
        {"a start by hand is not the daily one",
         QTime(8, 0, 30),
         {catchUpTask("T", "08:00:00", 1)},
         writeHistory("07:00:00.000\t开始\tT\t主播 手动"),
         [](ControllerRig &r) { r.run(3000); },
         {"T|补播 晚31秒（程序未运行）"},
         {},
         {"T", "T"}},
        {"a sleep over two tasks",
         QTime(7, 59, 0),
         {catchUpTask("A", "08:00:00", 30), catchUpTask("B", "08:05:00", 30)},
         none,
         [](ControllerRig &r) {
             r.runUntil(QTime(7, 59, 30));
             r.controller.noteSleep(true);
             r.clock.sleep(10 * 60000);
             r.run(2000);
         },
         {"B|补播 晚4分30秒（系统休眠）"},
         {"A|系统休眠，08:00:00 的开始由「B」的补播代替"},
         {"B"}},
        {"the clock set forward",
         QTime(7, 59, 50),
         {catchUpTask("A", "08:00:00", 1), catchUpTask("B", "08:05:00", 30)},
         none,
         [](ControllerRig &r) {
             r.runUntil(QTime(7, 59, 55));
             r.clock.shiftWall(10 * 60000);
             r.run(2000);
         },
         {"B|补播 晚4分55秒（时钟调整）"},
         {"A|时钟调整，08:00:00 的开始晚了9分55秒，超过补播时间1分钟"},
         {"B"}},
        {"the clock set back after a start",
         QTime(8, 0, 0),
         {catchUpTask("T", "08:00:05", 1)},
         none,
         [](ControllerRig &r) {
             r.runUntil(QTime(8, 0, 10));
             r.clock.shiftWall(-60000);
             r.run(90000);
         },
         {},
         {},
         {"T"}},
        // 2026-03-29 in Berlin: 02:00 CET is followed by 03:00 CEST.
        {"the skipped daylight-saving hour",
         QTime(0, 0),
         {catchUpTask("A", "02:10:00", 1), catchUpTask("B", "02:30:00", 60)},
         berlin(utc(3, 29, QTime(0, 59, 50))),
         [](ControllerRig &r) { r.run(15000); },
         {"B|补播 晚30分（时钟调整）"},
         {"A|时钟调整，02:10:00 的开始晚了50分，超过补播时间1分钟"},
         {"B"}},
        // 2026-10-25 in Berlin: 03:00 CEST is followed by 02:00 CET.
        {"the repeated daylight-saving hour",
         QTime(0, 0),
         {catchUpTask("T", "02:30:00", 1)},
         berlin(utc(10, 25, QTime(0, 29, 50))),
         [](ControllerRig &r) { r.run(62 * 60000, 500); },
         {},
         {},
         {"T"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ControllerRig rig(c.startUp);
        rig.mainPlayer.setMediaDuration("/m/long.mp3", 3 * 3600);
        rig.insertPlayer.setMediaDuration("/m/long.mp3", 3 * 3600);
        c.setUp(rig);
        rig.startUp(c.tasks);
        c.act(rig);
        EXPECT_EQ(rig.history(PlayHistory::CaughtUp), c.caughtUp);
        EXPECT_EQ(rig.history(PlayHistory::Missed), c.missed);
        QStringList starts;
        for (const QString &s : rig.history(PlayHistory::Started))
            starts << s.section('|', 0, 0);
        EXPECT_EQ(starts, c.starts);
        // The tray and the error line are told exactly when something was.
        EXPECT_EQ(rig.controller.missedNotice().isEmpty(),
                  c.caughtUp.isEmpty() && c.missed.isEmpty());
    }
}

// A late start within its window still ends where the window does, and the
// error line keeps the notice until the next task starts.
TEST(CatchUp, AWindowStartEndsWithItsWindowAndTheNoticeLastsUntilTheNextStart) {
    ControllerRig rig(QTime(8, 30, 0));
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 3 * 3600);
    QStringList told;
    QObject::connect(&rig.controller, &MainController::missedStartsReported,
                     [&](const QString &m) { told << m; });
    rig.startUp({catchUpTask("W", "08:00:00", kCatchUpWindow, "01:00:00"),
                 catchUpTask("gone", "08:10:00", 5), catchUpTask("next", "09:00:10", 1)});
    rig.run(2000);
    EXPECT_EQ(told, QStringList(
                        {"错过：08:10:00 gone（程序未运行）\n补播：08:00:00 W（补播 晚30分1秒）"}));
    EXPECT_EQ(rig.controller.missedNotice(),
              "错过：08:10:00 gone（程序未运行）；补播：08:00:00 W（补播 晚30分1秒）");
    rig.runUntil(QTime(9, 0, 5));
    EXPECT_EQ(rig.history(PlayHistory::LimitReached), QStringList({"W|播放时长 00:29:59"}));
    EXPECT_FALSE(rig.controller.missedNotice().isEmpty());
    rig.runUntil(QTime(9, 0, 12));
    EXPECT_TRUE(rig.controller.missedNotice().isEmpty());
}

TEST(CatchUp, GapsAreToldApartByTheirCounters) {
    // wall s, monotonic ms, boot ms, logind said sleep
    EXPECT_EQ(classifyGap(1, 1000, 1000, false), Gap::None);
    EXPECT_EQ(classifyGap(5, 5000, 5000, false), Gap::Late);
    EXPECT_EQ(classifyGap(600, 1000, 600000, false), Gap::Sleep);
    EXPECT_EQ(classifyGap(600, 1000, 1000, true), Gap::Sleep);
    EXPECT_EQ(classifyGap(3601, 1000, 1000, false), Gap::ClockForward);
}

} // namespace
} // namespace kolva::test
