// Latency from the schedule tick that finds a task due to the first audio
// buffer at the sink, on the real controller with the real GStreamer players
// (medians over repeated runs, for a WAV and an MP3 song; players warmed up as
// the application does after start-up).
//   due_latency_bench [runs]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <gst/gst.h>
#include <vector>

#include "app/MainController.h"
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

void onHandoff(GstElement *, GstBuffer *, GstPad *, gpointer) {
    int64_t expected = 0;
    const int64_t now = SteadyClock::now().time_since_epoch().count();
    g_firstBufferNs.compare_exchange_strong(expected, now);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
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
    g_signal_handlers_disconnect_by_func(capture, (gpointer)onHandoff, nullptr);
    gst_object_unref(capture);
    return 0;
}
