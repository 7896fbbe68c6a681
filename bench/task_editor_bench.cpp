// Task editor figures, offscreen, on a list of 200 tasks whose first task
// has 100 regions of 10 songs: opening until that task is drawn (and the
// longer of its two event-loop turns: building and showing the window, then
// the first paint with the first slice of region editors); showing that task
// again from another row (until it is drawn, the longest single turn of the
// event loop while the other region editors are built, and the time until
// all are built); and its checked save (the whole list written). Medians
// over the runs.
//   task_editor_bench [runs]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "model/TaskFile.h"
#include "support/FakeMediaLengths.h"
#include "ui/UiFakes.h"
#include "ui/editor/TaskEditor.h"

using namespace kolva;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

TaskList makeList() {
    TaskList list;
    for (int t = 0; t < 200; ++t) {
        Task task = newTask();
        task.Title = QStringLiteral("任务 %1").arg(t);
        task.StartTime = QStringLiteral("08:%1:00").arg(t % 60, 2, 10, QLatin1Char('0'));
        for (int r = 0; r < (t == 0 ? 100 : 2); ++r) {
            Region region = newRegion();
            region.Title = QStringLiteral("区间%1").arg(r + 1);
            for (int s = 0; s < 10; ++s) {
                Song song;
                song.SongFile = QStringLiteral("/srv/music/%1/%2.mp3").arg(r).arg(s);
                region.Songs.append(song);
            }
            task.Regions.append(region);
        }
        list.append(task);
    }
    return list;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/task.xtask.dll");
    std::vector<double> open, openTurn, show, block, allBuilt, save;
    for (int i = 0; i < runs; ++i) {
        saveTasks(file, makeList());
        test::FakeDialogs dialogs;
        test::FakeMediaLengths lengths;
        QElapsedTimer timer;
        timer.start();
        TaskEditor editor(file, dialogs, lengths);
        editor.show();
        const double built = timer.nsecsElapsed() / 1e6;
        app.processEvents();
        open.push_back(timer.nsecsElapsed() / 1e6);
        openTurn.push_back(std::max(built, open.back() - built));

        // Every editor of the first task built, then another task shown.
        editor.regionEditors();
        editor.rowClicked(editor.lvwTaskList()->topLevelItem(1));
        app.processEvents();
        timer.restart();
        editor.rowClicked(editor.lvwTaskList()->topLevelItem(0));
        app.processEvents();
        show.push_back(timer.nsecsElapsed() / 1e6);
        double longest = 0;
        QElapsedTimer turn;
        while (editor.builtRegionCount() < editor.regionCount()) {
            turn.start();
            app.processEvents();
            longest = std::max(longest, turn.nsecsElapsed() / 1e6);
        }
        allBuilt.push_back(timer.nsecsElapsed() / 1e6);
        block.push_back(longest);

        editor.picAddNewClick();
        timer.restart();
        const bool saved = editor.cmdSaveTaskClick();
        save.push_back(timer.nsecsElapsed() / 1e6);
        if (!saved)
            std::fprintf(stderr, "save failed\n");
    }
    std::printf("editor, 200 tasks, shown task 100 regions x 10 songs (median of %d):\n", runs);
    std::printf("  open and show first task: %.1f ms (longest turn %.1f ms)\n", median(open),
                median(openTurn));
    std::printf("  show the 100-region task from another row: %.1f ms\n", median(show));
    std::printf("  longest event-loop turn while the other editors are built: %.1f ms\n",
                median(block));
    std::printf("  every region editor built: %.1f ms after the click\n", median(allBuilt));
    std::printf("  check and save (whole list written): %.1f ms\n", median(save));
    return 0;
}
