// Latency to the first audio buffer at the sink, on the real controller with
// the real GStreamer players (players warmed up as the application does after
// start-up):
// 1. from the schedule tick that finds a task due (fake clock, the tick
//    called directly; medians over repeated runs, for a WAV and an MP3 song);
// 2. from the task's start second on the wall clock, with the real second
//    timer and the system clock: tasks due on consecutive seconds.
//   due_latency_bench [runs] [tasks]
//   due_latency_bench --write-tasks APP_DIR SONG TASKS FIRST_DELAY_S
//       (the task file of part 2 for the real program, due from
//       FIRST_DELAY_S seconds on, one task every two seconds; prints the
//       first start as seconds since the epoch)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <gst/gst.h>
#include <time.h>
#include <vector>

#include "app/MainController.h"
#include "base/Clock.h"
#include "model/TaskFile.h"
#include "platform/GstMediaPlayer.h"
#include "platform/MediaInfoCache.h"
#include "playback/PlayerControl.h"
#include "playback/PowerOff.h"
#include "support/FakeClock.h"
#include "support/MediaGen.cpp"

using namespace kolva;
using SteadyClock = std::chrono::steady_clock;

namespace {

struct NoPowerOff final : PowerOff {
    void shutDown() override {}
};

std::atomic<int64_t> g_firstBufferNs{0};
std::atomic<int64_t> g_firstBufferWallNs{0};

int64_t wallNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void onHandoff(GstElement *, GstBuffer *, GstPad *, gpointer) {
    int64_t expected = 0;
    const int64_t now = SteadyClock::now().time_since_epoch().count();
    g_firstBufferNs.compare_exchange_strong(expected, now);
    expected = 0;
    g_firstBufferWallNs.compare_exchange_strong(expected, wallNs());
}

Task taskAt(const QString &title, const QString &file, QTime start) {
    Task t = newTask();
    t.Title = title;
    t.StartTime = start.toString(QStringLiteral("HH:mm:ss"));
    Region r = newRegion();
    Song s;
    s.SongFile = file;
    r.Songs = {s};
    t.Regions = {r};
    return t;
}

// Tasks due every `spacing` seconds from `first` (whole seconds).
TaskList tasksFrom(const QString &file, QTime first, int count, int spacing) {
    TaskList tasks;
    for (int i = 0; i < count; ++i)
        tasks.append(taskAt(QStringLiteral("秒%1").arg(i), file, first.addSecs(i * spacing)));
    return tasks;
}

double maxOf(const std::vector<double> &v) {
    return v.empty() ? -1 : *std::max_element(v.begin(), v.end());
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 6 && QByteArray(argv[1]) == "--write-tasks") {
        const AppPaths paths{QString::fromLocal8Bit(argv[2])};
        QDir(paths.appPath).mkpath("user");
        // Whole seconds of the wall clock; the program runs on local time.
        const QDateTime first =
            QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + atoi(argv[5]));
        if (!saveTasks(paths.taskFile(),
                       tasksFrom(QString::fromLocal8Bit(argv[3]), first.time(), atoi(argv[4]), 2)))
            return 1;
        std::printf("%lld\n", static_cast<long long>(first.toSecsSinceEpoch()));
        return 0;
    }
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const int secondTasks = argc > 2 ? std::max(1, atoi(argv[2])) : 20;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("user");
    test::MediaGen gen(dir.filePath("media"));
    const QString wav = gen.make("due-wav", {{660, 0.4}}, test::MediaFormat::Wav);
    const QString mp3 = gen.make("due-mp3", {{660, 0.4}}, test::MediaFormat::Mp3);

    const QString sink = QStringLiteral("fakesink name=capture sync=true signal-handoffs=true");
    MediaInfoCache info;
    GstMediaPlayer mainPlayer(info, nullptr, sink), insertPlayer(info, nullptr, sink);
    mainPlayer.warmUp({"wav", "mp3"});
    insertPlayer.warmUp({"wav", "mp3"});
    while (mainPlayer.warmingUp() || insertPlayer.warmingUp())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    GstElement *capture = mainPlayer.sinkElement("capture");
    g_signal_connect(capture, "handoff", G_CALLBACK(onHandoff), nullptr);

    test::FakeClock clock(QTime(8, 0, 0));
    NoPowerOff powerOff;
    AppPaths paths{dir.path()};
    for (const QString &file : {wav, mp3}) {
        std::vector<double> latencies;
        for (int i = 0; i < runs; ++i) {
            Task t = newTask();
            t.Title = "bench";
            t.StartTime = "08:00:00";
            Region r = newRegion();
            Song s;
            s.SongFile = file;
            r.Songs = {s};
            t.Regions = {r};
            saveTasks(paths.taskFile(), {t});
            MainController controller(paths, clock, powerOff, mainPlayer, insertPlayer);
            controller.initPlayers();
            controller.loadTaskList();
            controller.cmdStartClicked(); // schedule on
            g_firstBufferNs = 0;
            const auto t0 = SteadyClock::now();
            controller.timerLoopTick(); // finds the task due and starts it
            QElapsedTimer guard;
            guard.start();
            while (g_firstBufferNs.load() == 0 && guard.elapsed() < 5000) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                QThread::usleep(100);
            }
            if (g_firstBufferNs.load() == 0) {
                std::printf("no buffer for %s\n", qPrintable(file));
                return 1;
            }
            latencies.push_back((g_firstBufferNs.load() - t0.time_since_epoch().count()) / 1e6);
            controller.players().stopAll();
            QCoreApplication::processEvents();
        }
        std::printf("due tick -> first buffer, %s: median %.1f ms, max %.1f ms (%d runs)\n",
                    qPrintable(QFileInfo(file).suffix()), median(latencies),
                    *std::max_element(latencies.begin(), latencies.end()), runs);
    }

    // 2. Start second -> first buffer: the real second timer on the system
    // clock, tasks due on consecutive seconds (each plays 0.4 s).
    {
        SystemClock wall;
        const QTime first = QTime::currentTime().addSecs(2);
        const QTime start(first.hour(), first.minute(), first.second());
        const TaskList tasks = tasksFrom(wav, start, secondTasks, 1);
        saveTasks(paths.taskFile(), tasks);
        MainController controller(paths, wall, powerOff, mainPlayer, insertPlayer);
        controller.initPlayers();
        controller.loadTaskList();
        controller.startTimers();
        controller.startScheduleAtStartUp();
        const int64_t startNs =
            QDateTime(QDate::currentDate(), start).toMSecsSinceEpoch() * int64_t(1000000);
        std::vector<double> latencies;
        for (int i = 0; i < secondTasks; ++i) {
            g_firstBufferWallNs = 0;
            const int64_t dueNs = startNs + int64_t(i) * 1000000000;
            QElapsedTimer guard;
            guard.start();
            // The buffer of task i comes after its second began.
            while ((g_firstBufferWallNs.load() == 0 || g_firstBufferWallNs.load() < dueNs) &&
                   guard.elapsed() < 4000) {
                if (g_firstBufferWallNs.load() != 0 && g_firstBufferWallNs.load() < dueNs)
                    g_firstBufferWallNs = 0; // the tail of the previous task
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            }
            if (g_firstBufferWallNs.load() == 0) {
                std::printf("no buffer for task %d\n", i);
                return 1;
            }
            latencies.push_back((g_firstBufferWallNs.load() - dueNs) / 1e6);
        }
        std::printf("start second -> first buffer, real second timer, %d tasks (WAV): median %.1f "
                    "ms, max %.1f ms\n",
                    secondTasks, median(latencies), maxOf(latencies));
        controller.stopTimers();
        controller.players().stopAll();
        QCoreApplication::processEvents();
    }
    g_signal_handlers_disconnect_by_func(capture, (gpointer)onHandoff, nullptr);
    gst_object_unref(capture);
    return 0;
}
