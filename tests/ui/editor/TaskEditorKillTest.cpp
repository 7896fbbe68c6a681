// A save through the task editor killed at any moment leaves the task file
// whole: either the list before the save or the one after it.
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include "model/TaskFile.h"
#include "support/FakeMediaLengths.h"
#include "ui/UiFakes.h"
#include "ui/editor/TaskEditor.h"

using namespace kolva;
using namespace kolva::test;

namespace {

const char *kLoopFile = "KOLVA_TEST_EDITOR_SAVE_LOOP";
constexpr int kTasks = 400;

TaskList bigList() {
    TaskList list;
    for (int t = 0; t < kTasks; ++t) {
        Task task = newTask();
        task.Title = QStringLiteral("任务%1").arg(t);
        task.StartTime = QStringLiteral("08:00:00");
        for (int r = 0; r < 3; ++r) {
            Region region = newRegion();
            region.Title = QStringLiteral("区间%1").arg(r + 1);
            for (int s = 0; s < 8; ++s) {
                Song song;
                song.SongFile = QStringLiteral("/srv/music/%1/%2/%3.mp3").arg(t).arg(r).arg(s);
                region.Songs.append(song);
            }
            task.Regions.append(region);
        }
        list.append(task);
    }
    return list;
}

} // namespace

// The child side: runs only when started by the test below, which kills it.
// It saves the shown task through the editor again and again, its title
// going back and forth between "旧" and "新".
TEST(TaskEditorKill, ChildSavesUntilKilled) {
    const QString file = qEnvironmentVariable(kLoopFile);
    if (file.isEmpty())
        GTEST_SKIP() << "started only by TaskEditorKill.FileIsAlwaysWhole";
    FakeDialogs dialogs;
    FakeMediaLengths lengths;
    TaskEditor editor(file, dialogs, lengths);
    std::printf("saving\n");
    std::fflush(stdout);
    for (int i = 0;; ++i) {
        editor.titleEdit()->setText(i % 2 ? QStringLiteral("新") : QStringLiteral("旧"));
        ASSERT_TRUE(editor.cmdSaveTaskClick());
    }
}

TEST(TaskEditorKill, FileIsAlwaysWhole) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/task.xtask.dll";
    TaskList list = bigList();
    list[0].Title = "旧";
    ASSERT_TRUE(saveTasks(file, list));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kLoopFile, file);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    int killedWhileSaving = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=TaskEditorKill.ChildSavesUntilKilled"});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray out;
        while (!out.contains("saving\n") && child.waitForReadyRead(20000))
            out += child.readAllStandardOutput();
        ASSERT_TRUE(out.contains("saving\n")) << out.toStdString();
        // Anywhere within the next few saves.
        QThread::msleep(QRandomGenerator::global()->bounded(5, 150));
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(10000));
        killedWhileSaving += child.exitStatus() == QProcess::CrashExit ? 1 : 0;

        TaskList read;
        ASSERT_TRUE(loadTasks(file, read));
        ASSERT_EQ(read.size(), kTasks);
        EXPECT_TRUE(read[0].Title == "旧" || read[0].Title == "新") << read[0].Title.toStdString();
        EXPECT_EQ(read.last().Title, QStringLiteral("任务%1").arg(kTasks - 1));
        EXPECT_EQ(read.last().Regions.value(2).Songs.size(), 8);
    }
    EXPECT_EQ(killedWhileSaving, 12); // the child never stopped by itself
}
