// Cost of the schedule tick with large task lists, and of starting a region
// pass (playlist written and read back).
//   schedule_bench [tasks] [ticks]
// Prints per-tick medians and 99th percentiles in microseconds.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/DayPlan.h"
#include "app/MainController.h"
#include "base/PlayHistory.h"
#include "model/HolidayCalendar.h"
#include "playback/AsxReader.h"
#include "playback/PlayerControl.h"
#include "playback/PowerOff.h"
#include "scheduler/ScheduleClock.h"
#include "scheduler/SecondTimer.h"
#include "support/FakeClock.h"

using namespace kolva;

namespace {

// Plays nothing; reads the playlist file like a real player would.
class NullPlayer final : public MediaPlayer {
public:
    PlaylistPtr newPlaylist(const QString &name, const QString &filePath) override {
        return AsxReader::readPlaylist(name, filePath, ++m_id);
    }
    PlaylistPtr newPlaylistFromText(const QString &name, const QByteArray &asxText) override {
        return AsxReader::parsePlaylist(name, asxText, ++m_id);
    }
    void setCurrentPlaylist(PlaylistPtr playlist) override { m_playlist = std::move(playlist); }
    PlaylistPtr currentPlaylist() const override { return m_playlist; }
    void play() override { m_state = PlayState::Playing; }
    void pause() override { m_state = PlayState::Paused; }
    void stop() override { m_state = PlayState::Stopped; }
    double currentPosition() const override { return 0; }
    void setCurrentPosition(double) override {}
    int volume() const override { return 50; }
    void setVolume(int) override {}
    PlayState playState() const override { return m_state; }
    Media currentMedia() const override { return Media{}; }
    Media newMedia(const QString &) override { return Media{}; }
    void setOutputDevice(const QString &) override {}

private:
    PlaylistPtr m_playlist;
    PlayState m_state = PlayState::Undefined;
    quint64 m_id = 0;
};

class NoPowerOff final : public PowerOff {
public:
    void shutDown() override {}
};

TaskList makeTasks(int count, bool normalised) {
    TaskList list;
    list.reserve(count);
    for (int i = 0; i < count; ++i) {
        Task t = newTask();
        t.TaskID = i;
        t.Title = QStringLiteral("任务 %1").arg(i);
        const int second = 3600 + (i * 7) % 3600; // 01:00:00 .. 01:59:59
        t.StartTime = normalised ? QStringLiteral("%1:%2:%3")
                                       .arg(second / 3600, 2, 10, QLatin1Char('0'))
                                       .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
                                       .arg(second % 60, 2, 10, QLatin1Char('0'))
                                 : QStringLiteral("%1:%2:%3")
                                       .arg(second / 3600)
                                       .arg(second / 60 % 60)
                                       .arg(second % 60);
        t.Enabled = i % 10 != 0;
        Region r = newRegion();
        Song s;
        s.SongFile = QStringLiteral("/m/%1.mp3").arg(i);
        r.Songs.append(s);
        t.Regions.append(r);
        list.append(t);
    }
    return list;
}

struct Stats {
    double median, p99, max;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 99 / 100)], v.back()};
}

void report(const char *what, const Stats &s) {
    std::printf("%-58s median %8.1f us  p99 %8.1f us  max %8.1f us\n", what, s.median, s.p99,
                s.max);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int ticks = argc > 2 ? std::max(10, atoi(argv[2])) : 2000;
    QTemporaryDir dir;
    AppPaths paths{dir.path()};
    test::FakeClock clock(QTime(0, 30, 0)); // no task due in this hour
    NullPlayer mainPlayer, insertPlayer;
    NoPowerOff powerOff;
    PlayerControl players(clock, powerOff, paths, &mainPlayer, &insertPlayer);
    players.initPlayers(&mainPlayer, &insertPlayer);
    SecondTimer loop(clock);
    ScheduleClock schedule(clock, players, loop, {});
    schedule.startSchedule(); // ticks are run by hand below
    const auto noReport = [](const QString &) {};

    std::printf("%d tasks, %d ticks each\n", count, ticks);
    for (bool normalised : {true, false}) {
        const TaskList tasks = makeTasks(count, normalised);
        clock.setTimeOfDay(QTime(0, 30, 0));
        std::vector<double> us;
        for (int i = 0; i < ticks; ++i) {
            clock.advance(1000);
            QElapsedTimer t;
            t.start();
            schedule.tick(tasks, noReport);
            us.push_back(t.nsecsElapsed() / 1000.0);
        }
        report(normalised ? "tick, nothing due, stored HH:MM:SS start times"
                          : "tick, nothing due, hand-written H:M:S start times",
               stats(us));
    }

    // A task due at every tick (each second of 01:00-01:59 has about three),
    // one playing on each player; limits checked too.
    {
        const TaskList tasks = makeTasks(count, true);
        clock.setTimeOfDay(QTime(1, 0, 0));
        std::vector<double> us;
        for (int i = 0; i < ticks; ++i) {
            clock.advance(1000);
            QElapsedTimer t;
            t.start();
            schedule.tick(tasks, noReport);
            us.push_back(t.nsecsElapsed() / 1000.0);
        }
        report("tick that may start a task (playlist written and read)", stats(us));
    }

    // The plan of a day (the day view, `kolva --preview`) over the whole list,
    // every song's length known.
    {
        const TaskList tasks = makeTasks(count, true);
        SongFacts facts;
        for (const Task &task : tasks)
            facts.insert(task.Regions[0].Songs[0].SongFile, SongFact{{}, 180.0});
        const HolidayCalendar calendar;
        std::vector<double> us;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer t;
            t.start();
            const QVector<DayRow> rows = planDay(tasks, clock.date(), calendar, facts);
            us.push_back(t.nsecsElapsed() / 1000.0);
            if (rows.size() != tasks.size())
                return 1;
        }
        report("plan of a day (all lengths known)", stats(us));
    }

    // Start-up: today's lines of a full history (two generations of 1 MB).
    {
        const QString path = dir.filePath("history.log");
        for (const QString &file : {path + ".1", path}) {
            QFile out(file);
            out.open(QIODevice::WriteOnly);
            const QByteArray line =
                QStringLiteral("2026-03-02 08:00:00.005\t开始\t任务 12\t主播 晚5毫秒\n").toUtf8();
            while (out.size() < PlayHistory::MaxBytes - line.size())
                out.write(line);
        }
        std::vector<double> us;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer t;
            t.start();
            const QStringList lines = PlayHistory::readDay(path, QDate(2026, 3, 2));
            us.push_back(t.nsecsElapsed() / 1000.0);
            if (lines.isEmpty())
                return 1;
        }
        report("today's lines of a full history (2 x 1 MB, all today)", stats(us));
    }

    // One region pass of a large region: playlist text, file, read back.
    for (int songs : {10, 1000}) {
        Task t = newTask();
        Region r = newRegion();
        r.Sort = 1;
        r.Repeat = -1; // every nextRegion is one more pass of it
        for (int i = 0; i < songs; ++i) {
            Song s;
            s.SongID = i;
            s.SongFile = QStringLiteral("/home/user/音乐/第%1首 & \"其他\".mp3").arg(i);
            s.Repeat = i % 3 - 1;
            s.StartTime = QStringLiteral("00:00:05");
            r.Songs.append(s);
        }
        t.Regions.append(r);
        players.stopAll();
        players.playTask(t);
        std::vector<double> us;
        for (int i = 0; i < 50; ++i) {
            QElapsedTimer timer;
            timer.start();
            players.nextRegion(0, r.RegionID);
            us.push_back(timer.nsecsElapsed() / 1000.0);
        }
        char label[96];
        std::snprintf(label, sizeof label, "region pass of %d songs (random order)", songs);
        report(label, stats(us));
    }
    return 0;
}
