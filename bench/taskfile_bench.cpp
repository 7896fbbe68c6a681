// Load and save times of task files with 10, 1,000 and 100,000 songs, medians
// over repeated runs, and the process's peak memory after each size.
//   taskfile_bench [runs]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "model/TaskFile.h"

using namespace kolva;

namespace {

TaskList makeList(int songs) {
    TaskList list;
    const int perRegion = 50;
    int made = 0;
    while (made < songs) {
        Task t = newTask();
        t.Title = QStringLiteral("任务 %1").arg(list.size());
        t.StartTime = QStringLiteral("08:%1:00").arg(list.size() % 60, 2, 10, QLatin1Char('0'));
        for (int r = 0; r < 4 && made < songs; ++r) {
            Region region = newRegion();
            region.Title = QStringLiteral("区间 %1").arg(r);
            for (int s = 0; s < perRegion && made < songs; ++s, ++made) {
                Song song;
                song.SongFile = QStringLiteral("/home/user/音乐/铃声/第%1首 & 其他.mp3").arg(made);
                song.Repeat = s % 3;
                song.StartTime = (s % 2) ? QStringLiteral("00:00:05") : QString();
                region.Songs.append(song);
            }
            t.Regions.append(region);
        }
        list.append(t);
    }
    return list;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString path = dir.filePath("task.xtask.dll");
    std::printf("%-10s %10s %10s %12s %12s\n", "songs", "save ms", "load ms", "file KB", "peak RSS MB");
    for (int songs : {10, 1000, 100000}) {
        const TaskList list = makeList(songs);
        std::vector<double> save, load;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            if (!saveTasks(path, list))
                return 1;
            save.push_back(t.nsecsElapsed() / 1e6);
            TaskList back;
            t.restart();
            if (!loadTasks(path, back) || back.size() != list.size())
                return 1;
            load.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("%-10d %10.2f %10.2f %12lld %12.1f\n", songs, median(save), median(load),
                    QFile(path).size() / 1024, peakKb() / 1024.0);
    }
    return 0;
}
