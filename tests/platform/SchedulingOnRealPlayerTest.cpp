// The schedule driving the real GStreamer players, heard through capturing
// sinks: an insert that pauses and resumes the main task, region passes, and
// the power-off command at the natural end only.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "app/MainController.h"
#include "base/Clock.h"
#include "base/PlayHistory.h"
#include "model/TaskFile.h"
#include "platform/GstMediaPlayer.h"
#include "platform/LogindPowerOff.h"
#include "platform/PlayerHarness.h"
#include "playback/PlayerControl.h"
#include "support/MediaGen.h"

using namespace kolva;
using namespace kolva::test;

namespace {

const QList<double> pitches{400, 800, 1200, 1600};

// Real elapsed time; the time of day starts where the test says.
class RunningClock final : public Clock {
public:
    explicit RunningClock(QTime start) : m_start(start) { m_timer.start(); }
    int64_t tickMs() const override { return m_timer.elapsed() + 1; }
    QTime timeOfDay() const override { return m_start.addMSecs(int(m_timer.elapsed())); }

private:
    QTime m_start;
    QElapsedTimer m_timer;
};

QList<Segment> heard(const Capture &capture) {
    QList<Segment> out;
    for (const Segment &s : capture.segments(pitches)) {
        if (s.frequency > 0)
            out << s;
    }
    return out;
}

QString describe(const QList<Segment> &segments) {
    QStringList parts;
    for (const Segment &s : segments)
        parts << QStringLiteral("%1Hz:%2s").arg(s.frequency).arg(s.seconds, 0, 'f', 3);
    return parts.join(' ');
}

// Everything heard is at this pitch and lasts `seconds` in all.
void expectHeardOnly(const Capture &capture, double frequency, double seconds) {
    const QList<Segment> h = heard(capture);
    double total = 0;
    for (const Segment &s : h) {
        EXPECT_EQ(s.frequency, frequency);
        total += s.seconds;
    }
    EXPECT_NEAR(total, seconds, 0.1) << describe(h).toStdString();
}

Task oneRegionTask(const QString &title, const QString &file, int regionRepeat = 0) {
    Task t = newTask();
    t.Title = title;
    t.StartTime = QStringLiteral("23:59:59");
    Region r = newRegion();
    r.Repeat = regionRepeat;
    Song s;
    s.SongFile = file;
    r.Songs.append(s);
    t.Regions.append(r);
    return t;
}

class SchedulingOnRealPlayer : public ::testing::Test {
protected:
    static MediaGen &gen() {
        static MediaGen g;
        return g;
    }
    QString media(const QString &name, const QList<Tone> &tones) {
        const QString path = gen().make(name, tones);
        EXPECT_FALSE(path.isEmpty());
        return path;
    }
    // The window's start-up with these tasks; the schedule is on.
    void startUp(const TaskList &tasks) {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("user")));
        ASSERT_TRUE(saveTasks(paths.taskFile(), tasks));
        controller.initPlayers();
        controller.loadTaskList();
        controller.startTimers();
        controller.startScheduleAtStartUp();
    }

    QTemporaryDir dir;
    AppPaths paths{dir.path()};
    RunningClock clock{QTime(10, 0, 0)};
    LogindPowerOff powerOff;
    MediaInfoCache cache;
    GstMediaPlayer mainPlayer{cache, nullptr, captureSinkDescription()};
    GstMediaPlayer insertPlayer{cache, nullptr, captureSinkDescription()};
    MainController controller{paths, clock, powerOff, mainPlayer, insertPlayer, nullptr};
};

TEST_F(SchedulingOnRealPlayer, InsertPausesMainWhichResumesWhereItStoppedAndPlaysToItsEnd) {
    const QString mainFile = media("sched-main400-800", {{400, 0.6}, {800, 0.6}});
    const QString insertFile = media("sched-ins1600", {{1600, 0.3}});
    Capture mainCapture(mainPlayer);
    Capture insertCapture(insertPlayer);
    startUp({oneRegionTask("main", mainFile), oneRegionTask("insert", insertFile)});

    controller.playTaskById(0);
    ASSERT_TRUE(waitUntil([&] { return mainCapture.seconds() > 0.3; }));
    controller.playTaskById(1);
    ASSERT_TRUE(waitUntil([&] { return mainPlayer.playState() == PlayState::Paused; }));
    const double pausedAt = mainPlayer.currentPosition();
    const double heardAtPause = mainCapture.seconds();

    // The insert plays out, then the main task comes back by itself.
    ASSERT_TRUE(waitUntil([&] { return !controller.players().slot(1).busy(); }, 8000));
    ASSERT_TRUE(waitUntil([&] { return mainPlayer.playState() == PlayState::Playing; }, 2000));
    EXPECT_NEAR(mainPlayer.currentPosition(), pausedAt, 0.1);
    ASSERT_TRUE(waitUntil([&] { return !controller.players().slot(0).busy(); }, 8000));

    // Main sounded its file once: nothing repeated from the start, nothing
    // skipped; the insert sounded while main was silent.
    const QList<Segment> m = heard(mainCapture);
    ASSERT_EQ(m.size(), 2) << describe(m).toStdString();
    EXPECT_EQ(m[0].frequency, 400);
    EXPECT_NEAR(m[0].seconds, 0.6, 0.1);
    EXPECT_EQ(m[1].frequency, 800);
    EXPECT_NEAR(m[1].seconds, 0.6, 0.1);
    EXPECT_NEAR(heardAtPause, pausedAt, 0.1);
    const QList<Segment> i = heard(insertCapture);
    ASSERT_EQ(i.size(), 1) << describe(i).toStdString();
    EXPECT_NEAR(i[0].seconds, 0.3, 0.05);
}

TEST_F(SchedulingOnRealPlayer, DueRegionPlaysItsPassesAndTheTaskEnds) {
    const QString tone = media("sched-pass1200", {{1200, 0.25}});
    Capture capture(mainPlayer);
    Task t = oneRegionTask("passes", tone, 3);
    t.StartTime = QStringLiteral("10:00:01"); // due by the schedule clock
    startUp({t});
    ASSERT_TRUE(waitUntil([&] { return controller.players().slot(0).busy(); }, 4000));
    ASSERT_TRUE(waitUntil([&] { return !controller.players().slot(0).busy(); }, 8000));
    runFor(300);
    EXPECT_EQ(controller.players().slot(0).playing().regions[0].PassCount, 3);
    EXPECT_NEAR(capture.seconds(), 0.75, 0.1);
    expectHeardOnly(capture, 1200, 0.75);
}

TEST_F(SchedulingOnRealPlayer, PassesWhosePlaylistCannotBeWrittenStillSound) {
    const QString tone = media("sched-nowrite800", {{800, 0.25}});
    Capture capture(mainPlayer);
    QStringList errors;
    QObject::connect(&controller, &MainController::errorReported,
                     [&](const QString &message) { errors << message; });
    int writes = 0; // a full disk
    controller.players().setPlaylistWriter([&](const QString &, const QByteArray &, QString *why) {
        ++writes;
        *why = QStringLiteral("写入失败（No space left on device）");
        return false;
    });
    startUp({oneRegionTask("full disk", tone, 2)});
    controller.playTaskById(0);
    ASSERT_TRUE(controller.players().slot(0).busy());
    ASSERT_TRUE(waitUntil([&] { return !controller.players().slot(0).busy(); }, 8000));
    runFor(200);
    EXPECT_EQ(writes, 2);
    EXPECT_FALSE(QFile::exists(paths.playlistFile()));
    EXPECT_EQ(errors, QStringList{"无法写入播放列表：" + paths.playlistFile() +
                                  "，写入失败（No space left on device）"});
    expectHeardOnly(capture, 800, 0.5);
}

TEST_F(SchedulingOnRealPlayer, ShortTaskDueWhileTheWarmUpRunsPlaysOnceAndIsLoggedOnce) {
    const QString tone = media("sched-once1200", {{1200, 0.3}});
    Capture capture(mainPlayer);
    Task t = oneRegionTask("once", tone);
    t.StartTime = QStringLiteral("10:00:01");
    startUp({t});
    // As after a list reload: the warm-up returns at once and goes on in
    // the background, a due task cuts it short.
    mainPlayer.warmUp();
    insertPlayer.warmUp();
    EXPECT_TRUE(mainPlayer.warmingUp());
    ASSERT_TRUE(waitUntil([&] { return controller.players().slot(0).busy(); }, 4000));
    ASSERT_TRUE(waitUntil([&] { return !controller.players().slot(0).busy(); }, 4000));
    runFor(1500); // the later ticks of its second and the next ones
    EXPECT_FALSE(mainPlayer.warmingUp() || insertPlayer.warmingUp());

    const QList<Segment> h = heard(capture);
    ASSERT_EQ(h.size(), 1) << describe(h).toStdString();
    EXPECT_EQ(h[0].frequency, 1200);
    EXPECT_NEAR(h[0].seconds, 0.3, 0.05);
    controller.history().flush();
    QFile log(paths.historyFile());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.filter(QStringLiteral("\t开始\tonce\t")).size(), 1)
        << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("\t播完\tonce")).size(), 1)
        << lines.join('\n').toStdString();
}

TEST_F(SchedulingOnRealPlayer, PowerOffCommandRunsOnceAtTheNaturalEndOnly) {
    const QString log = dir.filePath("power-off.log");
    const QByteArray previous = qgetenv("KOLVA_POWER_OFF_CMD");
    qputenv("KOLVA_POWER_OFF_CMD", QByteArray("echo off >> '") + log.toLocal8Bit() + "'");
    const auto lines = [&] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? f.readAll().count('\n') : 0;
    };

    const QString shortTone = media("sched-off400", {{400, 0.3}});
    const QString longTone = media("sched-long800", {{800, 1.8}});
    Task natural = oneRegionTask("natural", shortTone);
    natural.PowerOff = true;
    Task limited = oneRegionTask("limited", longTone);
    limited.PowerOff = true;
    limited.StopTime = QStringLiteral("09:00:00"); // already past: the next tick ends it
    startUp({natural, limited});

    controller.playTaskById(0);
    ASSERT_TRUE(waitUntil([&] { return lines() == 1; }, 8000));
    EXPECT_FALSE(controller.players().slot(0).busy());

    controller.playTaskById(1);
    ASSERT_TRUE(waitUntil([&] { return controller.players().slot(0).busy(); }, 2000));
    ASSERT_TRUE(waitUntil([&] { return !controller.players().slot(0).busy(); }, 3000));
    EXPECT_EQ(mainPlayer.playState(), PlayState::Stopped);
    runFor(2200); // past where the song would have ended
    EXPECT_EQ(lines(), 1);
    EXPECT_FALSE(controller.players().slot(0).busy());
    qputenv("KOLVA_POWER_OFF_CMD", previous);
}

TEST_F(SchedulingOnRealPlayer, EndlessRegionOfBrokenFilesMovesOnToTheNextRegion) {
    const QString broken = gen().makeCorrupt("sched-broken");
    const QString tone = media("sched-after1600", {{1600, 0.3}});
    Capture capture(mainPlayer);
    Task t = oneRegionTask("broken", broken, -1);
    Region after = newRegion();
    Song s;
    s.SongFile = tone;
    after.Songs.append(s);
    t.Regions.append(after);
    startUp({t});
    controller.playTaskById(0);
    ASSERT_TRUE(waitUntil([&] { return !controller.players().slot(0).busy(); }, 8000));
    EXPECT_EQ(controller.players().slot(0).playing().regions[0].PassCount, 1);
    EXPECT_NEAR(capture.seconds(), 0.3, 0.05);
}

} // namespace
