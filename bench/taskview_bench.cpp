// The detail view with a task of 500 songs, on the real media-length cache
// (GStreamer discoverer on its worker threads), offscreen:
//  - time from the import to the view drawn (showTask + a synchronous paint)
//  - time until every song's playability is known (the red marks)
//  - the longest the UI thread was blocked meanwhile (gaps of a 2 ms timer)
// for a cold cache, a warm cache, and 500 songs on a missing folder.
//   taskview_bench [songs]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "model/TaskExchange.h"
#include "platform/MediaInfoCache.h"
#include "support/MediaGen.cpp"
#include "ui/taskview/ShowTask.h"

using namespace kolva;

namespace {

struct Figures {
    double shownMs = 0, knownMs = 0, longestBlockMs = 0;
};

Figures measure(MediaInfoCache &cache, const Task &task) {
    ShowTask view(cache);
    view.resize(700, 500);
    view.show();
    QApplication::processEvents();
    Figures f;
    QElapsedTimer clock;
    qint64 last = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        f.longestBlockMs = qMax(f.longestBlockMs, (now - last) / 1e6);
        last = now;
    });
    clock.start();
    ticker.start(2);
    // The text form as the window used to hand it over, then the drawing.
    view.importTask(taskExchangeText(task), regionExchangeTexts(task));
    view.repaint();
    f.shownMs = clock.nsecsElapsed() / 1e6;
    f.longestBlockMs = qMax(f.longestBlockMs, f.shownMs);
    last = clock.nsecsElapsed();
    while (cache.pending() > 0 && clock.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    f.knownMs = clock.nsecsElapsed() / 1e6;
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
    std::printf("%-34s shown %7.1f ms   all known %8.1f ms   longest UI block %6.1f ms\n", what,
                f.shownMs, f.knownMs, f.longestBlockMs);
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
