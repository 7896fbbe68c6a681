// The detail view with a task of 500 songs, on the real media-length cache
// (GStreamer discoverer on its worker threads), offscreen:
//  - time from the import to the view drawn (showTask + a synchronous paint)
//  - time until every song's playability is known (the red marks)
//  - the longest the UI thread was blocked meanwhile (gaps of a 2 ms timer),
//    and how much of that gap the UI thread itself ran (its CPU time: the
//    rest is the machine's load keeping it off the processor)
//  - the longest page step of the wheel (vscScroll + a synchronous paint),
//    paging from the top to the end and back (rows are painted on demand)
// for a cold cache, a warm cache, and 500 songs on a missing folder.
//   taskview_bench [songs]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "model/TaskExchange.h"
#include "platform/MediaInfoCache.h"
#include "support/MediaGen.cpp"
#include "ui/taskview/ShowTask.h"

using namespace kolva;

namespace {

struct Figures {
    double shownMs = 0, knownMs = 0, longestBlockMs = 0, busyInBlockMs = 0, longestPageMs = 0;
};

double uiThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

Figures measure(MediaInfoCache &cache, const Task &task) {
    ShowTask view(cache);
    view.resize(700, 500);
    view.show();
    QApplication::processEvents();
    Figures f;
    QElapsedTimer clock;
    qint64 last = 0;
    double lastCpu = uiThreadCpuMs();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const double cpu = uiThreadCpuMs();
        if ((now - last) / 1e6 > f.longestBlockMs) {
            f.longestBlockMs = (now - last) / 1e6;
            f.busyInBlockMs = cpu - lastCpu;
        }
        last = now;
        lastCpu = cpu;
    });
    clock.start();
    const double cpuAtStart = uiThreadCpuMs();
    ticker.start(2);
    // The text form as the window used to hand it over, then the drawing.
    view.importTask(taskExchangeText(task), regionExchangeTexts(task));
    view.repaint();
    f.shownMs = clock.nsecsElapsed() / 1e6;
    if (f.shownMs > f.longestBlockMs) {
        f.longestBlockMs = f.shownMs;
        f.busyInBlockMs = uiThreadCpuMs() - cpuAtStart;
    }
    last = clock.nsecsElapsed();
    lastCpu = uiThreadCpuMs();
    while (cache.pending() > 0 && clock.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    f.knownMs = clock.nsecsElapsed() / 1e6;
    ticker.stop();
    for (bool up : {false, true}) {
        for (int step = 0; step < 4; ++step) { // a page is a third of the range
            QElapsedTimer page;
            page.start();
            view.vscScroll(up);
            view.repaint();
            f.longestPageMs = qMax(f.longestPageMs, page.nsecsElapsed() / 1e6);
        }
    }
    return f;
}

Task taskOf(const QStringList &files) {
    Task t = newTask();
    t.Title = QStringLiteral("五百首");
    Region r = newRegion();
    r.Title = QStringLiteral("全部");
    for (const QString &file : files) {
        Song s;
        s.SongFile = file;
        r.Songs << s;
    }
    t.Regions << r;
    return t;
}

void print(const char *what, const Figures &f) {
    std::printf("%-26s shown %5.1f ms  all known %7.1f ms  longest UI block %5.1f ms"
                " (busy %4.1f)  page step %4.1f ms\n",
                what, f.shownMs, f.knownMs, f.longestBlockMs, f.busyInBlockMs, f.longestPageMs);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int songs = argc > 1 ? std::atoi(argv[1]) : 500;
    QTemporaryDir dir;
    QStringList files, missing;
    for (int i = 0; i < songs; ++i) {
        const QString file = dir.filePath(QStringLiteral("song %1.wav").arg(i));
        test::MediaGen::writeWav(file, {{440.0 + i, 0.2}});
        files << file;
        missing << QStringLiteral("/nonexistent/share/music/song %1.mp3").arg(i);
    }
    std::printf("task of %d songs (WAV files of 0.2 s), offscreen\n", songs);
    MediaInfoCache cache;
    print("cold media-length cache", measure(cache, taskOf(files)));
    print("warm media-length cache", measure(cache, taskOf(files)));
    MediaInfoCache other;
    print("songs on a missing folder", measure(other, taskOf(missing)));
    return 0;
}
