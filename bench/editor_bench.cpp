// The region editor with a large region: filling 300 songs (lengths not yet
// known, as on a slow disk), one keystroke in the title (the songs are
// rebuilt from the rows), and 300 late length answers recolouring the rows.
// Medians over runs, offscreen.
//   editor_bench [runs]
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "support/FakeMediaLengths.h"
#include "ui/editor/RegionEditor.h"
#include "ui/widgets/Dialogs.h"

using namespace kolva;

namespace {
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int songs = 300;
    Region region = newRegion();
    region.Title = QStringLiteral("区间1");
    for (int i = 0; i < songs; ++i) {
        Song song;
        song.SongFile = QStringLiteral("/home/user/音乐/铃声/第%1首 & 其他.mp3").arg(i);
        song.Repeat = i % 3;
        region.Songs.append(song);
    }
    std::vector<double> fill, key, answers;
    for (int run = 0; run < runs; ++run) {
        DesktopDialogs dialogs;
        test::FakeMediaLengths lengths;
        RegionEditor editor(dialogs, lengths);
        editor.resize(700, 300);
        editor.show();
        QElapsedTimer t;
        t.start();
        editor.createRegion(1, region);
        app.processEvents();
        fill.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(editor.titleBox(), &press);
        app.processEvents();
        key.push_back(t.nsecsElapsed() / 1e6);

        const QStringList asked = lengths.asked;
        t.restart();
        for (const QString &path : asked)
            lengths.answer(path, 0.0);
        app.processEvents();
        answers.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("region editor, %d songs (median of %d)\n", songs, runs);
    std::printf("  fill (createRegion, lengths pending): %.2f ms\n", median(fill));
    std::printf("  one keystroke in the title:           %.2f ms\n", median(key));
    std::printf("  %d late length answers, all rows:    %.2f ms in all\n", songs, median(answers));
    return 0;
}
