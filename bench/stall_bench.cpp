// The longest stall of the UI thread's event loop over a run of the whole
// program's object graph (kolva::Application, built as main() builds it):
// start-up, a reload of the task list (which warms the players up again), a
// task of 50 songs none of which has been looked at before, some of them
// FIFOs whose writer sleeps before it writes (a path that answers slowly),
// some in a folder "slowshare" whose every lookup takes long when
// run-stall.sh preloads its shim (a network share that answers slowly), and
// an insert task due while it plays. A 5 ms precise timer in the same
// event loop notes how late each of its timeouts comes.
//   stall_bench [songs]
// Needs QT_QPA_PLATFORM=offscreen and KOLVA_AUDIO_SINK (run-stall.sh sets them).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "app/MainController.h"
#include "base/AppPaths.h"
#include "main/Application.h"
#include "model/TaskFile.h"
#include "playback/PlayerControl.h"
#include "support/MediaGen.cpp"

using namespace kolva;

namespace {

// The UI thread's time on a core and waiting for one (ns), from the kernel.
struct SchedStat {
    long long runNs = 0;
    long long waitNs = 0;
};

SchedStat readSchedStat() {
    SchedStat s;
    if (FILE *f = std::fopen("/proc/thread-self/schedstat", "r")) {
        if (std::fscanf(f, "%lld %lld", &s.runNs, &s.waitNs) != 2)
            s = {};
        std::fclose(f);
    }
    return s;
}

struct Stall {
    double ms = 0;
    double runMs = 0;  // the UI thread's own work meanwhile
    double waitMs = 0; // its wait for a core
    qint64 atMs = 0;   // since the due times' base second
    QString after;     // the last history line then
};

struct Phase {
    const char *name;
    double worstMs = 0;
    double worstOwnMs = 0; // the longest stall less its wait for a core
};

Song songOf(const QString &file) {
    Song s;
    s.SongFile = file;
    return s;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int songs = argc > 1 ? std::max(2, atoi(argv[1])) : 50;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("user"));
    QDir(dir.path()).mkpath(QStringLiteral("songs/slowshare"));
    test::MediaGen gen(dir.filePath(QStringLiteral("media")));

    // Fresh files (never discovered), every fifth a FIFO whose writer feeds
    // it only after sleeping: a reader that opens it waits (the player and
    // the length cache pass it by without opening it). Every fifth (another
    // one, the first and each after a FIFO) lies on the slow share.
    std::vector<std::unique_ptr<QProcess>> writers;
    const QString tone = gen.make(QStringLiteral("tone"), {{700, 0.15}});
    QList<Song> list;
    for (int i = 0; i < songs; ++i) {
        const QString path =
            dir.filePath(QStringLiteral("songs/%1%2.wav")
                             .arg(i % 5 == 0 ? QStringLiteral("slowshare/") : QString())
                             .arg(i, 2, 10, QChar('0')));
        if (i % 5 == 4) {
            ::mkfifo(QFile::encodeName(path).constData(), 0600);
            auto writer = std::make_unique<QProcess>();
            writer->start(QStringLiteral("sh"),
                          {QStringLiteral("-c"),
                           QStringLiteral("exec 3>'%2'; sleep 30; cat '%1' >&3").arg(tone, path)});
            writers.push_back(std::move(writer));
        } else {
            test::MediaGen::writeWav(path, {{400.0 + 10 * i, 0.15}});
        }
        list << songOf(path);
    }
    const QString insertTone = gen.make(QStringLiteral("insert"), {{1500, 0.5}});

    // Due times on the wall clock: the 50 songs at +4 s, the insert at +6 s.
    const QTime now = QTime::currentTime();
    const QTime base = QTime(now.hour(), now.minute(), now.second()).addSecs(1);
    Task fifty = newTask();
    fifty.Title = QStringLiteral("五十首");
    fifty.StartTime = base.addSecs(4).toString(QStringLiteral("HH:mm:ss"));
    Region r = newRegion();
    r.Songs = list;
    fifty.Regions = {r};
    Task insert = newTask();
    insert.Title = QStringLiteral("插播");
    insert.StartTime = base.addSecs(6).toString(QStringLiteral("HH:mm:ss"));
    Region ri = newRegion();
    ri.Songs = {songOf(insertTone)};
    insert.Regions = {ri};
    const AppPaths paths{dir.path()};
    saveTasks(paths.taskFile(), {fifty, insert});

    QElapsedTimer run;
    run.start();
    Application application(app, paths);
    const double buildMs = run.nsecsElapsed() / 1e6;

    // Phases by the time since the event loop started.
    std::vector<Phase> phases = {{"start-up (0-2 s)"},
                                 {"list reload (2-4 s)"},
                                 {"50-song task starts (4-6 s)"},
                                 {"insert task (6-8 s)"},
                                 {"rest of the run"}};
    const qint64 baseMs = QTime::currentTime().msecsTo(base);
    auto phaseAt = [&](qint64 ms) -> Phase & {
        const qint64 t = ms - baseMs;
        const size_t i = t < 2000 ? 0 : t < 4000 ? 1 : t < 6000 ? 2 : t < 8000 ? 3 : 4;
        return phases[i];
    };

    QElapsedTimer loop;
    qint64 lastNs = -1;
    SchedStat lastStat;
    long samples = 0;
    std::vector<Stall> stalls; // the longer ones, for the listing
    QTimer watchdog;
    watchdog.setTimerType(Qt::PreciseTimer);
    watchdog.setInterval(5);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        const qint64 ns = loop.nsecsElapsed();
        const SchedStat stat = readSchedStat();
        if (lastNs >= 0) {
            const double late = (ns - lastNs) / 1e6 - 5.0;
            const double waitMs = (stat.waitNs - lastStat.waitNs) / 1e6;
            Phase &p = phaseAt(ns / 1000000);
            p.worstMs = std::max(p.worstMs, late);
            p.worstOwnMs = std::max(p.worstOwnMs, late - waitMs);
            if (late > 5)
                stalls.push_back({late, (stat.runNs - lastStat.runNs) / 1e6, waitMs,
                                  ns / 1000000 - baseMs,
                                  application.controller().lastHistoryLine()});
            ++samples;
        }
        lastNs = ns;
        lastStat = stat;
    });
    QTimer::singleShot(0, [&] {
        loop.start();
        watchdog.start();
    });
    // The reload, as when the task editor closes.
    QTimer::singleShot(int(std::max<qint64>(0, baseMs + 2000)), &application.controller(),
                       [&] { application.controller().loadTaskList(); });
    // The end: both tasks over, or at most 40 s.
    QTimer end;
    QObject::connect(&end, &QTimer::timeout, [&] {
        const qint64 t = loop.elapsed() - baseMs;
        const PlayerControl &players = application.controller().players();
        if ((t > 9000 && !players.slot(0).busy() && !players.slot(1).busy()) || t > 40000)
            app.quit();
    });
    end.start(100);
    application.exec();

    for (auto &w : writers) {
        w->kill();
        w->waitForFinished(1000);
    }
    double worst = 0, worstOwn = 0;
    const char *where = "";
    std::printf("object graph built in %.1f ms (before the event loop runs)\n", buildMs);
    for (const Phase &p : phases) {
        std::printf("  %-28s longest stall %6.1f ms, less its wait for a core %6.1f ms\n", p.name,
                    p.worstMs, p.worstOwnMs);
        worst = std::max(worst, p.worstMs);
        if (p.worstOwnMs > worstOwn) {
            worstOwn = p.worstOwnMs;
            where = p.name;
        }
    }
    std::printf("longest UI-thread stall over the run: %.1f ms; less the time it waited for a "
                "core: %.1f ms (%s; %ld samples of a 5 ms timer, %d songs, lookups on the "
                "slow share %s ms)\n",
                worst, worstOwn, where, samples, songs,
                qEnvironmentVariableIsSet("LD_PRELOAD") ? qgetenv("KOLVA_SLOW_MS").constData()
                                                        : "not slowed");
    std::sort(stalls.begin(), stalls.end(),
              [](const Stall &a, const Stall &b) { return a.ms > b.ms; });
    for (size_t i = 0; i < std::min<size_t>(5, stalls.size()); ++i)
        std::printf("  stall %5.1f ms (own work %.1f, waiting for a core %.1f) at %+6lld ms, "
                    "after: %s\n",
                    stalls[i].ms, stalls[i].runMs, stalls[i].waitMs,
                    static_cast<long long>(stalls[i].atMs),
                    qUtf8Printable(stalls[i].after.simplified()));
    return 0;
}
