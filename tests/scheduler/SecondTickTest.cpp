// The schedule on the clock second: ticks at a fixed offset into each second,
// each day's occurrence of a task started once whatever the ticks do, late
// ticks caught up within a minute, the next start of the day, and the play
// history with its rotation.

#include <QRegularExpression>
#include <gtest/gtest.h>

#include "app/MainControllerTestHarness.h"
#include "support/FileSizeLimit.h"

namespace kolva::test {
namespace {

TEST(SecondTimer, TicksOncePerSecondAtItsOffsetWithoutDrift) {
    // Wherever in a second it is armed, the tick lands on the next second's
    // offset; a tick that fired a little early still belongs to its second.
    for (int ms : {0, 4, 5, 6, 500, 999})
        EXPECT_EQ((ms + SecondTimer::delayToNextTick(ms)) % 1000, SecondTimer::OffsetMs) << ms;
    EXPECT_EQ(SecondTimer::delayToNextTick(4), 1001);

    // On the controller: clock label and schedule both tick at .005 of each
    // second, also after a tick that came 700 ms late.
    ControllerRig rig(QTime(8, 0, 0, 321));
    rig.startUp();
    QStringList seen;
    QObject::connect(&rig.controller, &MainController::displayChanged, [&] {
        const QString shown = rig.controller.display().clock;
        if (!shown.isEmpty() && !seen.contains(shown))
            seen << shown;
    });
    rig.run(2000, 7);
    rig.stall(700 + 2); // 08:00:03.023 → 08:00:03.725, the tick of :03 fires then
    rig.run(2000, 7);
    EXPECT_EQ(seen, QStringList({"08:00:01", "08:00:02", "08:00:03", "08:00:04", "08:00:05"}));
    const int64_t due = rig.controller.loopTimer().dueTickMs();
    EXPECT_EQ(rig.clock.timeOfDay().addMSecs(int(due - rig.clock.tickMs())).msec(),
              SecondTimer::OffsetMs);
}

TEST(ScheduleClock, EachOccurrenceStartsOnceWhateverTheTicksDo) {
    struct Case {
        const char *name;
        double songSeconds;
        std::function<void(ControllerRig &)> act;
        int starts;          // playlists of the task (by the clock and by hand)
        QStringList missed;  // details of the 错过 lines
        QString lateDetail;  // detail of the scheduled 开始 line ("" none)
        uint8_t days = 0x7F; // the task's play days (the fake clock's day is a Monday)
    };
    const QString tooLate =
        QStringLiteral("检测延迟，08:00:05 的开始晚了1分1秒，超过补播时间1分钟");
    const QVector<Case> cases = {
        {"a task ending inside its second",
         0.4,
         [](ControllerRig &r) { r.runUntil(QTime(8, 0, 10), 7); },
         1,
         {},
         "主播 晚5毫秒"},
        {"extra ticks inside the second",
         0.2,
         [](ControllerRig &r) {
             r.runUntil(QTime(8, 0, 5, 500), 7);
             r.controller.loopTimer().fire();
             r.deliver();
             r.runUntil(QTime(8, 0, 9));
         },
         1,
         {},
         "主播 晚5毫秒"},
        {"a tick 5 s late catches the skipped second up",
         0.2,
         [](ControllerRig &r) {
             r.runUntil(QTime(8, 0, 3, 500));
             r.stall(5000);
             r.run(3000);
         },
         1,
         {},
         "主播 晚3500毫秒"},
        {"a tick 61 s late reports it missed",
         0.2,
         [](ControllerRig &r) {
             r.runUntil(QTime(8, 0, 4, 900));
             r.stall(61100);
             r.run(3000);
         },
         0,
         {tooLate},
         ""},
        {"the clock set back 10 s",
         0.2,
         [](ControllerRig &r) {
             r.runUntil(QTime(8, 0, 7));
             r.clock.shiftWall(-10000);
             r.run(15000);
         },
         1,
         {},
         "主播 晚5毫秒"},
        {"switched on after its second",
         0.2,
         [](ControllerRig &r) {
             r.controller.picDingShiClicked(1);
             r.runUntil(QTime(8, 0, 6));
             r.controller.picDingShiClicked(0);
             r.run(5000);
         },
         0,
         {},
         ""},
        {"not a play day: a tick 61 s late leaves no line",
         0.2,
         [](ControllerRig &r) {
             r.controller.setDateSource([&r] { return r.clock.date(); });
             r.runUntil(QTime(8, 0, 4, 900));
             r.stall(61100);
             r.run(3000);
         },
         0,
         {},
         "",
         0x7E},
        {"a start by hand is not the daily start",
         0.5,
         [](ControllerRig &r) {
             r.runUntil(QTime(8, 0, 1));
             r.controller.playTaskById(0);
             r.runUntil(QTime(8, 0, 9));
         },
         2,
         {},
         "主播 晚5毫秒"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ControllerRig rig;
        rig.mainPlayer.setMediaDuration("/m/chime.mp3", c.songSeconds);
        Task t = makeTask("T", "08:00:05", {makeRegion("r", {{"/m/chime.mp3"}})});
        t.PowerOff = true;
        t.Days = c.days;
        rig.startUp({t});
        c.act(rig);
        EXPECT_EQ(rig.calls(rig.mainPlayer, "newPlaylist KOLVA0-0"), c.starts);
        EXPECT_EQ(rig.powerOff.requests, c.starts); // each start played out once
        QStringList missed;
        for (const QString &m : rig.history(PlayHistory::Missed))
            missed << m.section('|', 1);
        EXPECT_EQ(missed, c.missed);
        const QStringList started = rig.history(PlayHistory::Started);
        EXPECT_EQ(started.filter(QStringLiteral("晚")).value(0).section('|', 1), c.lateDetail);
    }
}

TEST(ScheduleClock, LateTickStartsTheOldestSecondFirstAndTheNextOnTheNextTick) {
    ControllerRig rig;
    const Region r = makeRegion("r", {{"/m/long.mp3"}});
    rig.startUp({makeTask("late", "08:00:07", {r}), makeTask("early", "08:00:05", {r})});
    rig.runUntil(QTime(8, 0, 4, 500));
    rig.stall(4000); // 08:00:08.5: both seconds lie in the gap
    EXPECT_EQ(rig.players().playingTask(PlayerControl::MainPlayer).Title, "early");
    EXPECT_EQ(rig.busy(PlayerControl::InsertPlayer), 0);
    rig.run(600); // the tick of 08:00:09
    EXPECT_EQ(rig.players().playingTask(PlayerControl::InsertPlayer).Title, "late");
    EXPECT_EQ(rig.history(PlayHistory::Started),
              QStringList({"early|主播 晚3500毫秒", "late|插播 晚2005毫秒"}));
}

TEST(MainController, NextStartOfTheDayInLblTimeing) {
    ControllerRig rig(QTime(11, 59, 58));
    const Region r = makeRegion("r", {{"/m/a.mp3"}});
    Task off = makeTask("off", "11:59:59", {r});
    off.Enabled = false;
    rig.startUp({makeTask("morning", "07:00:00", {r}), off, makeTask("noon", "12:00:00", {r}),
                 makeTask("noon2", "12:00:00", {r}), makeTask("evening", "18:30:00", {r})});
    const PlaybackDisplay &d = rig.controller.display();
    const QVector<QPair<QTime, QString>> expected = {
        {QTime(11, 59, 59), "12:00:00 noon"},
        {QTime(12, 0, 1), "18:30:00 evening"},
        {QTime(18, 30, 2), "--:--:-- "},
    };
    for (const auto &[when, shown] : expected) {
        rig.runUntil(when, 250);
        EXPECT_EQ(d.timeing + ' ' + d.timeingTip, shown) << when.toString().toStdString();
    }
    rig.controller.picDingShiClicked(1);
    EXPECT_EQ(d.timeing, "--:--:--");
}

TEST(PlayHistory, OneLinePerEventOfAScheduleDay) {
    ControllerRig rig;
    rig.mainPlayer.setMediaDuration("/m/short.mp3", 2);
    rig.mainPlayer.setMediaDuration("/m/broken.mp3", 0);
    rig.mainPlayer.setMediaDuration("/m/long.mp3", 600);
    Task played =
        makeTask("早操\t铃", "08:00:02", {makeRegion("r", {{"/m/broken.mp3"}, {"/m/short.mp3"}})});
    played.PowerOff = true;
    Task limited = makeTask("限时", "08:00:10", {makeRegion("r", {{"/m/long.mp3"}})});
    limited.Duration = "00:00:03";
    Task cut = makeTask("区间", "08:00:20",
                        {makeRegion("第一区", {{"/m/long.mp3"}}, 0, "00:00:02"),
                         makeRegion("第二区", {{"/m/long.mp3"}})});
    rig.startUp({played, limited, cut});
    rig.runUntil(QTime(8, 0, 30));
    rig.controller.picDingShiClicked(1);

    QStringList events;
    const QRegularExpression format(QStringLiteral(
        "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\t[^\\t]+\\t[^\\t]*\\t[^\\t]*$"));
    for (const QString &line : rig.historyLines()) {
        EXPECT_TRUE(format.match(line).hasMatch()) << line.toStdString();
        events << line.section('\t', 1, 3);
    }
    EXPECT_EQ(events, QStringList({
                          "开始\t早操 铃\t主播 晚5毫秒",
                          "跳过文件\t早操 铃\t/m/broken.mp3 不能播放",
                          "播完\t早操 铃\t",
                          "关机\t早操 铃\t",
                          "开始\t限时\t主播 晚5毫秒",
                          "到时停止\t限时\t播放时长 00:00:03",
                          "开始\t区间\t主播 晚5毫秒",
                          "区间到时\t区间\t第一区",
                          "手动停止\t区间\t主播",
                      }));
    EXPECT_EQ(rig.controller.lastHistoryLine(), rig.historyLines().last());
    EXPECT_TRUE(rig.historyLines().first().startsWith("2026-03-02 08:00:02.005\t"));
    EXPECT_EQ(rig.errors, QStringList{"跳过文件 /m/broken.mp3：不能播放"}); // and on the error line
}

TEST(PlayHistory, RotatesUnderAMegabyteAndAFailedWriteDisturbsNothing) {
    QTemporaryDir dir;
    FakeClock clock;
    const QString path = dir.filePath("user/history.log");
    {
        PlayHistory history(clock, path);
        const QString detail(200, QLatin1Char('x'));
        for (int i = 0; i < 6000; ++i) {
            history.append(PlayHistory::Started, QString::number(i), detail);
            clock.advance(10);
        }
        history.flush();
    }
    QFile current(path), older(path + ".1");
    ASSERT_TRUE(current.open(QIODevice::ReadOnly));
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_LT(current.size(), PlayHistory::MaxBytes);
    EXPECT_LT(older.size(), PlayHistory::MaxBytes);
    const QStringList a = QString::fromUtf8(older.readAll()).split('\n', Qt::SkipEmptyParts);
    const QStringList b = QString::fromUtf8(current.readAll()).split('\n', Qt::SkipEmptyParts);
    // Nothing lost at the move: the newer file goes on where the older ends.
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_EQ(a.last().section('\t', 2, 2).toInt() + 1, b.first().section('\t', 2, 2).toInt());
    EXPECT_EQ(b.last().section('\t', 2, 2), "5999");

    // A history that cannot be written still keeps its last line, and the
    // schedule plays on.
    ControllerRig rig;
    QFile::remove(rig.paths.historyFile());
    ASSERT_TRUE(QDir(rig.paths.historyFile()).mkpath(".")); // a folder where the file goes
    rig.startUp({makeTask("T", "08:00:02", {makeRegion("r", {{"/m/a.mp3"}})})});
    rig.runUntil(QTime(8, 0, 4));
    EXPECT_EQ(rig.busy(PlayerControl::MainPlayer), 1);
    EXPECT_FALSE(rig.controller.history().lastWriteOk());
    EXPECT_TRUE(rig.controller.lastHistoryLine().contains("开始\tT\t主播"));
    // ... and the error line says so once, with the path, not once per line.
    ASSERT_EQ(rig.errors.size(), 1) << rig.errors.join('\n').toStdString();
    EXPECT_TRUE(
        rig.errors[0].startsWith("无法写入播放记录：" + rig.paths.historyFile() + "，无法打开（"))
        << rig.errors[0].toStdString();
}

TEST(PlayHistory, AFullDiskIsToldOnceUntilAWriteSucceedsAgain) {
    QTemporaryDir dir;
    FakeClock clock;
    PlayHistory history(clock, dir.filePath("history.log"));
    QStringList told;
    QObject::connect(&history, &PlayHistory::writeFailed,
                     [&](const QString &message) { told << message; });
    history.append(PlayHistory::Started, "T");
    const auto fullDisk = [&] {
        return withSizeLimit(QFileInfo(history.filePath()).size(), [&] {
            for (int i = 0; i < 3; ++i)
                history.append(PlayHistory::PlayedOut, "T", QString(5000, 'x')); // past the buffer
            return history.lastWriteOk();
        });
    };
    EXPECT_FALSE(fullDisk());
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("，写入失败（")) << told[0].toStdString();
    history.append(PlayHistory::Started, "T"); // space again: written, and a later failure is news
    EXPECT_TRUE(history.lastWriteOk());
    EXPECT_FALSE(fullDisk());
    EXPECT_EQ(told.size(), 2);
}

} // namespace
} // namespace kolva::test
