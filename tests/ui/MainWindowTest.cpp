// The main window on the real MainController with fake players, a fake tray
// and answered dialogs: start-up effects, the list, the transport and the
// bars, the tray rules, auto-run, skins and the information buttons.
#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include "Version.h"
#include "app/AutoRun.h"
#include "app/MainControllerTestHarness.h"
#include "support/FakeMediaLengths.h"
#include "ui/UiFakes.h"
#include "ui/UiTestSupport.h"
#include "ui/main/MainWindow.h"
#include "ui/main/StatusStrip.h"
#include "ui/main/TaskListView.h"
#include "ui/taskview/ShowTask.h"
#include "ui/widgets/ClickBar.h"

namespace kolva::test {
namespace {

QString sourceRoot() {
    return QDir(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../..").canonicalPath();
}

QString readText(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void writeText(const QString &path, const QByteArray &text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

double lastNumber(const QStringList &calls, const QString &prefix) {
    for (qsizetype i = calls.size() - 1; i >= 0; --i)
        if (calls[i].startsWith(prefix))
            return calls[i].mid(prefix.size()).toDouble();
    return -1;
}

bool hasCallStartingWith(const QStringList &calls, const QString &prefix) {
    for (const QString &c : calls)
        if (c.startsWith(prefix))
            return true;
    return false;
}

// The window over a ControllerRig; the application folder holds the
// pictures of user/pic.
class WindowRig {
public:
    explicit WindowRig(const TaskList &tasks = {}) {
        rig.writeTasks(tasks);
        for (const char *name : {"1.gif", "play.gif", "pause.gif"})
            QFile::copy(sourceRoot() + "/resources/user/pic/" + name,
                        rig.paths.appPath + "/user/pic/" + name);
    }

    MainWindow &build() {
        window = std::make_unique<MainWindow>(app(), rig.controller, dialogs, tray, autoRun);
        return *window;
    }
    MainWindow &start() {
        build();
        window->show();
        window->timerLoadTick();
        // The schedule comes on 50 ms later, as a continuation.
        QElapsedTimer waited;
        waited.start();
        while (!window->startUpDone() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_TRUE(window->startUpDone());
        return *window;
    }
    QString autoRunEntry() const { return autoRun.entryPath(); }

    ControllerRig rig;
    FakeTray tray;
    FakeDialogs dialogs;
    QTemporaryDir config;
    AutoRun autoRun{config.path() + "/autostart", "/opt/kolva/kolva"};
    std::unique_ptr<MainWindow> window;
};

Task playable(const QString &title, const QString &start, const QString &file) {
    return makeTask(title, start, {makeRegion(title, {{file}})});
}

TEST(MainWindow, WindowShowsBeforeStartUpWhichRunsOnTheFirstTick) {
    WindowRig w({playable("早操", "07:30:00", "/m/a.mp3")});
    MainWindow &win = w.build();
    win.show();
    EXPECT_EQ(win.windowTitle(), QStringLiteral("KOLVA定时播放器"));
    EXPECT_FALSE(win.startUpDone());
    EXPECT_FALSE(w.rig.controller.scheduleOn());
    EXPECT_EQ(win.lvwTaskList()->topLevelItemCount(), 0);
    EXPECT_FALSE(w.tray.added);

    bool finished = false;
    QObject::connect(&win, &MainWindow::startUpFinished, [&] { finished = true; });
    QElapsedTimer waited;
    waited.start();
    while (!finished && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(win.startUpDone());
    EXPECT_TRUE(w.rig.controller.scheduleOn());
    EXPECT_EQ(win.lvwTaskList()->topLevelItemCount(), 1);
}

TEST(MainWindow, StartUpOrderAndItsVisibleEffects) {
    WindowRig w(
        {playable("早操", "07:30:00", "/m/a.mp3"), playable("午休", "12:00:00", "/m/b.mp3")});
    // The tray icon is added while the schedule is still off and before the
    // list is loaded.
    bool scheduleAtAdd = true;
    qsizetype tasksAtAdd = -1;
    QString pageAtAdd;
    w.tray.onAdd = [&] {
        scheduleAtAdd = w.rig.controller.scheduleOn();
        tasksAtAdd = w.rig.controller.tasks().size();
        pageAtAdd = w.window->statusStrip()->pageText();
    };
    MainWindow &win = w.start();

    EXPECT_FALSE(scheduleAtAdd);
    EXPECT_EQ(tasksAtAdd, 0);
    EXPECT_TRUE(pageAtAdd.contains("#FFD9D9")); // the status page came first
    EXPECT_FALSE(pageAtAdd.contains("<IMG"));
    EXPECT_EQ(w.tray.calls.value(0), QStringLiteral("add 提示"));

    // Schedule on: picture 1 shown, tray running, status strip animated.
    EXPECT_TRUE(w.rig.controller.scheduleOn());
    EXPECT_EQ(win.picDingShiShown(), 1);
    EXPECT_EQ(w.tray.tip, QStringLiteral("正在检测。。"));
    EXPECT_TRUE(win.statusStrip()->isVisible());
    EXPECT_EQ(win.statusStrip()->pictureFile(), w.rig.paths.appPath + "/user/pic/1.gif");
    EXPECT_EQ(win.statusStrip()->pictureGeometry().topLeft(), QPoint(5, 6));
    EXPECT_TRUE(win.statusStrip()->pictureAnimating());
    EXPECT_EQ(win.cmdStart()->text(), QStringLiteral("停止定时"));   // the state a click switches
    EXPECT_EQ(win.focusWidget(), win.findChild<QWidget *>("Text1")); // as after a picture click
    EXPECT_FALSE(win.findChild<QWidget *>("Text1")->focusPolicy() & Qt::TabFocus); // unseen

    // The list, the bars, the captions and tool tips.
    ASSERT_EQ(win.lvwTaskList()->topLevelItemCount(), 2);
    EXPECT_EQ(win.lvwTaskList()->topLevelItem(1)->text(2), QStringLiteral(" 午休"));
    EXPECT_EQ(win.pgVolume()->minimumF(), 0);
    EXPECT_EQ(win.pgVolume()->maximumF(), 100);
    EXPECT_EQ(win.label("lblPlayTime")->text(), "00:00");
    EXPECT_EQ(win.label("lblTotalTime")->text(), " /00:00");
    EXPECT_EQ(win.label("lblTask")->text(), QStringLiteral("星期天逛公园"));
    EXPECT_EQ(win.label("lblRegion")->text(), QStringLiteral("区间3"));
    // The next start of the day (07:30 has passed at 08:00), its task as tip.
    EXPECT_EQ(win.label("lblTimeing")->text(), "12:00:00");
    EXPECT_EQ(win.label("lblTimeing")->toolTip(), QStringLiteral("午休"));
    EXPECT_EQ(win.findChild<QPushButton *>("cmdTaskList")->toolTip(), QStringLiteral("管理任务"));
    EXPECT_EQ(win.findChild<QPushButton *>("cmdSkin")->toolTip(), QStringLiteral("管理皮肤"));
    EXPECT_EQ(w.rig.controller.timerIntervalMs("timerTime"), 1000);
    EXPECT_EQ(w.rig.controller.timerIntervalMs("timerPosition"), 500);
    EXPECT_EQ(w.rig.controller.timerIntervalMs("timerLoop"), 1000);

    // The clock label follows timerTime, in a fixed-pitch font.
    w.rig.controller.timerTimeTick();
    EXPECT_EQ(win.label("lblTime")->text(), "08:00:00");
    EXPECT_TRUE(QFontInfo(win.label("lblTime")->font()).fixedPitch());

    // Stopping by the picture: the strip goes pink and empty, the tray stops.
    win.picDingShi(1)->click();
    EXPECT_FALSE(w.rig.controller.scheduleOn());
    EXPECT_EQ(win.picDingShiShown(), 0);
    EXPECT_EQ(w.tray.tip, QStringLiteral("所有任务都已停止！"));
    EXPECT_TRUE(win.statusStrip()->pictureFile().isEmpty());
    EXPECT_EQ(win.statusStrip()->pageColor(), QColor("#FFD9D9"));
    // cmdStart switches the same schedule, its caption following it.
    EXPECT_EQ(win.cmdStart()->text(), QStringLiteral("开始定时"));
    win.cmdStart()->click();
    EXPECT_TRUE(w.rig.controller.scheduleOn());
    EXPECT_EQ(win.cmdStart()->text(), QStringLiteral("停止定时"));
    EXPECT_EQ(win.picDingShiShown(), 1);
}

TEST(MainWindow, AutoRunBoxShowsTheEntryWithoutWritingAndClicksWriteIt) {
    {
        WindowRig w;
        MainWindow &win = w.start();
        EXPECT_FALSE(win.chkAutoRun()->isChecked());
        EXPECT_FALSE(QFile::exists(w.autoRunEntry())); // start-up never writes
        win.chkAutoRun()->click();
        EXPECT_TRUE(QFile::exists(w.autoRunEntry()));
        EXPECT_TRUE(readText(w.autoRunEntry()).contains("Exec=\"/opt/kolva/kolva\""));
        win.chkAutoRun()->click();
        EXPECT_FALSE(QFile::exists(w.autoRunEntry()));
    }
    {
        WindowRig w;
        AutoRun stale(w.config.path() + "/autostart", "/old/place/kolva");
        stale.setAutoRun(true);
        const QString before = readText(w.autoRunEntry());
        MainWindow &win = w.start();
        EXPECT_TRUE(win.chkAutoRun()->isChecked());
        EXPECT_EQ(readText(w.autoRunEntry()), before); // the stale path stays
    }
    {
        WindowRig w;
        QFile(w.config.path() + "/autostart").open(QIODevice::WriteOnly); // not a folder
        MainWindow &win = w.start();
        win.chkAutoRun()->click();
        EXPECT_FALSE(win.chkAutoRun()->isChecked()); // what is really there
        EXPECT_TRUE(win.label("lblError")->isVisibleTo(&win));
        EXPECT_TRUE(
            win.label("lblError")->text().contains("无法写入开机启动项：" + w.autoRunEntry()))
            << win.label("lblError")->text().toStdString();
    }
}

TEST(MainWindow, PlayButtonFollowsThePlayersAndPausesOrResumes) {
    WindowRig w({playable("A", "03:00:00", "/m/a.mp3")});
    MainWindow &win = w.start();
    const QString pic = w.rig.paths.appPath + "/user/pic/";
    w.rig.controller.timerPositionTick();
    EXPECT_FALSE(win.cmdPlay()->isEnabled());
    EXPECT_EQ(win.cmdPlayTag(), "0");
    EXPECT_EQ(win.cmdPlayPicture(), pic + "play.gif");

    w.rig.controller.playTaskById(0);
    w.rig.deliver();
    w.rig.controller.timerPositionTick();
    EXPECT_TRUE(win.cmdPlay()->isEnabled());
    EXPECT_EQ(win.cmdPlayTag(), "1");
    EXPECT_EQ(win.cmdPlayPicture(), pic + "pause.gif");
    EXPECT_FALSE(win.cmdPlay()->icon().isNull());
    EXPECT_EQ(win.label("lblTask")->text(), "A");
    EXPECT_EQ(win.label("lblTotalTime")->text(), " /03:00");

    win.cmdPlay()->click();
    w.rig.deliver();
    EXPECT_EQ(w.rig.mainPlayer.playState(), PlayState::Paused);
    w.rig.controller.timerPositionTick();
    EXPECT_EQ(win.cmdPlayTag(), "2");
    EXPECT_EQ(win.cmdPlayPicture(), pic + "play.gif");
    EXPECT_TRUE(win.cmdPlay()->isEnabled());

    win.cmdPlay()->click();
    w.rig.deliver();
    EXPECT_EQ(w.rig.mainPlayer.playState(), PlayState::Playing);
}

TEST(MainWindow, SeekAndVolumeClicksActOnThePlayingInsertOnly) {
    WindowRig w({playable("main", "03:00:00", "/m/long.mp3"),
                 playable("insert", "03:00:00", "/m/jingle.mp3")});
    w.rig.insertPlayer.setMediaDuration("/m/jingle.mp3", 60);
    MainWindow &win = w.start();
    w.rig.controller.playTaskById(0);
    w.rig.deliver();
    w.rig.controller.playTaskById(1);
    w.rig.deliver();
    ASSERT_EQ(w.rig.mainPlayer.playState(), PlayState::Paused);
    ASSERT_EQ(w.rig.insertPlayer.playState(), PlayState::Playing);
    ASSERT_DOUBLE_EQ(win.pgPlay()->maximumF(), 60);

    ClickBar *bar = win.pgPlay();
    const int x = bar->width() / 3;
    const double fraction = ClickBar::clickFraction(x, bar->width(), bar->logicalDpiX());
    click(bar, Qt::RightButton, QPoint(x, 3)); // not the left button: nothing
    EXPECT_FALSE(hasCallStartingWith(w.rig.insertPlayer.calls, "setCurrentPosition"));
    click(bar, Qt::LeftButton, QPoint(x, 3));
    EXPECT_NEAR(lastNumber(w.rig.insertPlayer.calls, "setCurrentPosition "), fraction * 60, 1e-3);
    EXPECT_FALSE(hasCallStartingWith(w.rig.mainPlayer.calls, "setCurrentPosition"));
    EXPECT_NEAR(bar->valueF(), fraction * 60, 1e-3);

    ClickBar *volume = win.pgVolume();
    const int vx = volume->width() - 20;
    const double vf = ClickBar::clickFraction(vx, volume->width(), volume->logicalDpiX());
    const int mainVolumeCalls = int(w.rig.mainPlayer.calls.filter("setVolume").size());
    click(volume, Qt::LeftButton, QPoint(vx, 3));
    EXPECT_EQ(lastNumber(w.rig.insertPlayer.calls, "setVolume "), qRound(vf * 100));
    EXPECT_EQ(w.rig.mainPlayer.calls.filter("setVolume").size(), mainVolumeCalls);
    EXPECT_NEAR(volume->valueF(), qRound(vf * 100), 1e-9);
}

TEST(MainWindow, VolumeClickWhileNothingPlaysOnlyMovesTheBar) {
    WindowRig w;
    MainWindow &win = w.start();
    ClickBar *volume = win.pgVolume();
    click(volume, Qt::LeftButton, QPoint(0, 3));
    const double vf = ClickBar::clickFraction(0, volume->width(), volume->logicalDpiX());
    EXPECT_NEAR(volume->valueF(), qRound(vf * 100), 1e-9);
    EXPECT_FALSE(hasCallStartingWith(w.rig.mainPlayer.calls, "setVolume"));
    EXPECT_FALSE(hasCallStartingWith(w.rig.insertPlayer.calls, "setVolume"));
}

TEST(MainWindow, TrayMenuMinimiseRestoreAndClose) {
    WindowRig w;
    MainWindow &win = w.start();
    ASSERT_EQ(w.tray.menu, win.mnuTray());
    const QList<QAction *> actions = win.mnuTray()->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("状态"));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QStringLiteral("恢复(&R)"));
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4]->text(), QStringLiteral("关闭(&C)"));

    // Minimised with a tray: hidden; "状态" does nothing; double click back.
    win.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_FALSE(win.isVisible());
    actions[0]->trigger();
    EXPECT_FALSE(win.isVisible());
    w.tray.doubleClick();
    EXPECT_TRUE(win.isVisible());
    EXPECT_FALSE(win.isMinimized());

    // Again, back through "恢复(&R)".
    win.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_FALSE(win.isVisible());
    actions[2]->trigger();
    EXPECT_TRUE(win.isVisible());

    // "关闭(&C)" from the tray while hidden unloads: timers off, tray icon
    // removed, the program ends.
    win.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    ASSERT_FALSE(win.isVisible());
    bool unloaded = false;
    QObject::connect(&win, &MainWindow::unloaded, [&] { unloaded = true; });
    actions[4]->trigger();
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(w.tray.added);
    for (const char *timer : {"timerLoop", "timerTime", "timerPosition", "TimerPlayerBugPlay"})
        EXPECT_EQ(w.rig.controller.timerIntervalMs(timer), 0) << timer;
}

TEST(MainWindow, WithoutATrayMinimisingNeverHidesTheWindow) {
    WindowRig w;
    w.tray.available = false;
    MainWindow &win = w.start();
    win.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(win.isVisible());
}

TEST(MainWindow, ErrorsShowWithoutBlocking) {
    WindowRig w;
    MainWindow &win = w.start();
    emit w.rig.controller.errorReported(QStringLiteral("没找到Region: RegionID=4"));
    EXPECT_TRUE(win.label("lblError")->isVisibleTo(&win));
    EXPECT_TRUE(win.label("lblError")->text().endsWith(QStringLiteral("没找到Region: RegionID=4")));
    EXPECT_EQ(w.tray.messages, QStringList{QStringLiteral("没找到Region: RegionID=4")});
    EXPECT_TRUE(w.dialogs.infos.isEmpty());

    // A live region: a notification named by its text (shown anew with each
    // message, which is when screen readers speak notifications).
    QAccessibleInterface *line = QAccessible::queryAccessibleInterface(win.label("lblError"));
    EXPECT_EQ(line->role(), QAccessible::Notification);
    EXPECT_EQ(line->text(QAccessible::Name), win.label("lblError")->text());
}

TEST(MainWindow, MissedStartsAreToldOnceAndStayOnTheLineUntilTheNextStart) {
    // Started at 08:00: the 07:30 task was missed while the program was off.
    WindowRig w(
        {playable("早操", "07:30:00", "/m/a.mp3"), playable("课间", "08:00:03", "/m/b.mp3")});
    MainWindow &win = w.start();
    w.rig.run(1500);
    const QString notice = "错过：07:30:00 早操（程序未运行）";
    EXPECT_EQ(w.tray.messages, QStringList{notice});
    EXPECT_EQ(win.label("lblError")->text(), notice);
    w.rig.run(1000); // a line of the history meanwhile does not replace it
    w.rig.controller.history().append(PlayHistory::FileSkipped, "早操", "x");
    EXPECT_EQ(win.label("lblError")->text(), notice);
    w.rig.runUntil(QTime(8, 0, 4)); // the next task starts
    EXPECT_TRUE(win.label("lblError")->text().contains("开始  课间"))
        << win.label("lblError")->text().toStdString();
    EXPECT_EQ(w.tray.messages.size(), 1);
}

TEST(MainWindow, TaskListClickEditorReloadAndIcons) {
    Task off = playable("B", "09:00:00", "/m/b.mp3");
    off.Enabled = false;
    Task weekend = playable("A", "08:30:00", "/m/a.mp3");
    weekend.Days = 0x60;
    WindowRig w({weekend, off});
    w.rig.controller.setDateSource([] { return QDate(2030, 9, 30); }); // a Monday
    MainWindow &win = w.start();
    FakeMediaLengths lengths;
    ShowTask view(lengths);
    win.setTaskDetailsView(&view);
    EXPECT_EQ(win.lvwTaskList()->rowImageIndex(1), 2);
    // A task not due today shows its start time in grey.
    const auto timeColour = [&](int row) {
        return win.lvwTaskList()->topLevelItem(row)->foreground(1).color();
    };
    EXPECT_EQ(timeColour(0), QColor(0x95, 0x95, 0x95));
    EXPECT_NE(timeColour(1), QColor(0x95, 0x95, 0x95));

    const QRect row = win.lvwTaskList()->visualItemRect(win.lvwTaskList()->topLevelItem(1));
    click(win.lvwTaskList()->viewport(), Qt::LeftButton, row.center());
    EXPECT_EQ(view.shownTask().Title, "B");
    EXPECT_EQ(w.rig.mainPlayer.playState(), PlayState::Undefined); // nothing plays

    // The editor enables B and adds C; closing it reloads the list.
    QWidget *owner = nullptr;
    win.setTaskEditorOpener([&](QWidget *o) {
        owner = o;
        Task on = off;
        on.Enabled = true;
        w.rig.writeTasks(
            {playable("A", "08:30:00", "/m/a.mp3"), on, playable("C", "10:15:00", "/m/c.mp3")});
    });
    win.findChild<QPushButton *>("cmdTaskList")->click();
    EXPECT_EQ(owner, &win);
    ASSERT_EQ(win.lvwTaskList()->topLevelItemCount(), 3);
    EXPECT_EQ(win.lvwTaskList()->rowImageIndex(1), 1);
    EXPECT_EQ(win.lvwTaskList()->rowKey(2), "Key2");
    EXPECT_EQ(win.lvwTaskList()->topLevelItem(2)->text(1), " 10:15");
}

TEST(MainWindow, DetailViewShowsTheClickedRowAndPlaysTaskOrSong) {
    Task off = playable("B", "09:00:00", "/m/b.mp3");
    off.Enabled = false;
    WindowRig w({playable("A", "08:30:00", "/m/a.mp3"), off});
    w.rig.mainPlayer.setMediaDuration("/m/b.mp3", 600);
    w.rig.insertPlayer.setMediaDuration("/m/a.mp3", 60);
    FakeMediaLengths lengths;
    MainWindow &win = w.start();
    win.setTaskDetailsView(new ShowTask(lengths));
    ShowTask *view = win.taskView();
    view->resize(300, 120); // scrolls, so the return to the top shows
    view->setScroll(500);

    // Row 1 selected, then a Ctrl-click on row 2: row 2 is shown.
    TaskListView *list = win.lvwTaskList();
    const QRect row0 = list->visualItemRect(list->topLevelItem(0));
    const QRect row1 = list->visualItemRect(list->topLevelItem(1));
    click(list->viewport(), Qt::LeftButton, row0.center());
    QMouseEvent press(QEvent::MouseButtonPress, row1.center(),
                      list->viewport()->mapToGlobal(row1.center()), Qt::LeftButton, Qt::LeftButton,
                      Qt::ControlModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, row1.center(),
                        list->viewport()->mapToGlobal(row1.center()), Qt::LeftButton, Qt::NoButton,
                        Qt::ControlModifier);
    QApplication::sendEvent(list->viewport(), &press);
    QApplication::sendEvent(list->viewport(), &release);
    EXPECT_EQ(list->selectedItems().size(), 2);
    EXPECT_EQ(view->captions(ShowTask::RowKind::TitleRow), QStringList{"[×已禁用]B"});
    EXPECT_EQ(view->vsc()->value(), 0);
    EXPECT_EQ(w.rig.mainPlayer.playState(), PlayState::Undefined); // a click only shows

    // The title plays the disabled task; a song row plays that one file.
    auto clickRow = [view](ShowTask::RowKind kind) {
        const QRect box = view->content()->rowRect(view->rowIndex(kind));
        click(view->content(), Qt::LeftButton, box.topLeft() + QPoint(2, box.height() / 2));
    };
    clickRow(ShowTask::RowKind::TitleRow);
    EXPECT_EQ(w.rig.mainPlayer.currentMedia().sourceURL, "/m/b.mp3");
    click(list->viewport(), Qt::LeftButton, row0.center());
    clickRow(ShowTask::RowKind::SongRow);
    EXPECT_EQ(w.rig.insertPlayer.currentMedia().sourceURL, "/m/a.mp3");

    // By keyboard: the highlight shows its task, and Tab goes on from the
    // list to its buttons, the rows, then the playback controls.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(list, &down);
    EXPECT_EQ(view->captions(ShowTask::RowKind::TitleRow), QStringList{"[×已禁用]B"});
    auto nextStop = [](QWidget *w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisible());
        return w;
    };
    QWidget *taskButton = nextStop(list);
    EXPECT_EQ(taskButton->objectName(), "cmdTaskList");
    QWidget *dayButton = nextStop(taskButton); // 日程, beside it
    EXPECT_EQ(dayButton->objectName(), "cmdDayView");
    EXPECT_EQ(nextStop(dayButton), view->content());
    EXPECT_TRUE(win.cmdPlay()->parentWidget()->isAncestorOf(nextStop(view->content())));
}

TEST(MainWindow, SkinsAtStartAndFromTheDialog) {
    const QString before = app().styleSheet();
    {
        WindowRig w;
        writeText(w.rig.paths.skinFile(), "QLabel#lblTime { color: #123456; }");
        w.start();
        EXPECT_EQ(app().styleSheet(), "QLabel#lblTime { color: #123456; }");

        const QString chosen = w.rig.paths.appPath + "/blue.she";
        writeText(chosen, "QPushButton { color: #0000ff; }");
        w.dialogs.fileAnswer = chosen;
        w.window->findChild<QPushButton *>("cmdSkin")->click();
        EXPECT_EQ(w.dialogs.fileDialogs, QStringList{"Open|SkinSharp Skin File (*.she)"});
        EXPECT_EQ(app().styleSheet(), "QPushButton { color: #0000ff; }");

        w.dialogs.fileAnswer.clear(); // cancelled: nothing changes
        w.window->findChild<QPushButton *>("cmdSkin")->click();
        EXPECT_EQ(app().styleSheet(), "QPushButton { color: #0000ff; }");
    }
    app().setStyleSheet(before);
    {
        WindowRig w; // a broken default skin leaves the look
        writeText(w.rig.paths.skinFile(), QByteArray("\x89SKN\x00\x01", 6));
        w.start();
        EXPECT_EQ(app().styleSheet(), before);
        EXPECT_TRUE(w.window->startUpDone());
    }
}

TEST(MainWindow, AboutWebPageAndHelp) {
    WindowRig w;
    MainWindow &win = w.start();
    win.findChild<QPushButton *>("Command1")->click();
    ASSERT_EQ(w.dialogs.infos.size(), 1);
    EXPECT_EQ(w.dialogs.infos[0].title, QStringLiteral(KOLVA_TITLE));
    EXPECT_TRUE(w.dialogs.infos[0].text.contains("3.2.93"));

    win.findChild<QPushButton *>("Command2")->click();
    ASSERT_EQ(w.dialogs.opened.size(), 1);
    EXPECT_TRUE(w.dialogs.opened[0].scheme().startsWith("http"));

    win.findChild<QPushButton *>("Command3")->click(); // no help file: nothing
    EXPECT_EQ(w.dialogs.opened.size(), 1);
    writeText(w.rig.paths.helpFile(), "help");
    win.findChild<QPushButton *>("Command3")->click();
    ASSERT_EQ(w.dialogs.opened.size(), 2);
    EXPECT_EQ(w.dialogs.opened[1], QUrl::fromLocalFile(w.rig.paths.helpFile()));
}

TEST(MainWindow, MissingSoundOutputShowsALineAndTellsTheTrayOnce) {
    WindowRig w;
    MainWindow &win = w.start();
    QLabel *line = win.findChild<QLabel *>("lblSoundOutput");
    ASSERT_TRUE(line);
    const QString text = QStringLiteral("没有可用的声音输出设备，正在重试…");
    EXPECT_TRUE(line->isHidden());
    for (int i = 0; i < 2; ++i)
        win.showSoundOutputMissing(true);
    EXPECT_FALSE(line->isHidden());
    EXPECT_EQ(line->text(), text);
    EXPECT_EQ(w.tray.messages, QStringList{text});
    win.showSoundOutputMissing(false);
    EXPECT_TRUE(line->isHidden());
    EXPECT_EQ(w.tray.messages.size(), 1);
}

} // namespace
} // namespace kolva::test
