#include "main/Application.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <cstdio>

#include "app/AutoRun.h"
#include "app/CommandLine.h"
#include "app/MainController.h"
#include "app/RemoteFacade.h"
#include "base/Clock.h"
#include "platform/AudioDevices.h"
#include "platform/GstMediaPlayer.h"
#include "platform/LogindPowerOff.h"
#include "platform/LogindSleepWatch.h"
#include "platform/MediaInfoCache.h"
#include "platform/RemoteBusService.h"
#include "platform/TrayHost.h"
#include "ui/editor/TaskEditor.h"
#include "ui/main/DayWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Tray.h"
#include "ui/taskview/ShowTask.h"
#include "ui/widgets/AccessibleActions.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/WheelGuard.h"

namespace kolva {

// Members in the order they depend on each other; destroyed in reverse, so
// the window goes before the logic and the logic before the players.
struct Application::Graph {
    Graph(QApplication &app, const AppPaths &paths)
        : mainPlayer(mediaInfo), insertPlayer(mediaInfo),
          controller(paths, clock, powerOff, mainPlayer, insertPlayer),
          devices(controller.outputDevices()), tray(statusNotifierHostPresent()),
          autoRun(AutoRun::userAutostartDir(), QCoreApplication::applicationFilePath()),
          window(app, controller, dialogs, tray, autoRun), remote(controller), bus(remote) {
        // The window owns the view (it is reparented into its place).
        window.setTaskDetailsView(
            new ShowTask(mediaInfo, paths.handCursor(), paths.statusPicture()));
    }

    SystemClock clock;
    LogindPowerOff powerOff;
    LogindSleepWatch sleepWatch;
    MediaInfoCache mediaInfo;
    GstMediaPlayer mainPlayer;
    GstMediaPlayer insertPlayer;
    MainController controller;
    AudioDeviceWatcher devices; // writes the controller's device list
    TestTone testTone;
    DesktopDialogs dialogs;
    SystemTray tray;
    AutoRun autoRun;
    MainWindow window;
    RemoteFacade remote;
    RemoteBusService bus;
    QPointer<DayWindow> dayView; // a child of the window, open or not
};

namespace {

// The rules of input for every window, set before the first widget exists
// (Qt makes a widget's accessible interface as soon as it is named).
std::unique_ptr<WheelGuard> guardInput(QApplication &app) {
    // A screen reader's "activate" gets its answer before a button's work
    // (often a modal dialog) runs.
    installAccessibleButtons();
    return std::make_unique<WheelGuard>(app);
}

} // namespace

Application::Application(QApplication &app, const AppPaths &paths)
    : m_app(app), m_wheelGuard(guardInput(app)), m_graph(std::make_unique<Graph>(app, paths)) {
    // The window hides in the tray; the program ends when the window is
    // closed (Form_Unload), not when the last visible window goes away.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&m_graph->window, &MainWindow::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // The decoders of the kinds of file the list plays are loaded just after
    // start-up (and again when the editor changed the list), so the first task
    // of the day starts on its second instead of paying ~150 ms for loading
    // libav then. A player that is busy only loads the decoders.
    auto warmUp = [graph = m_graph.get()] {
        QStringList extensions;
        for (const Task &task : graph->controller.tasks())
            for (const Region &region : task.Regions)
                for (const Song &song : region.Songs)
                    extensions << QFileInfo(song.SongFile).suffix().toLower();
        extensions.removeDuplicates();
        graph->mainPlayer.warmUp(extensions);
        graph->insertPlayer.warmUp(extensions);
    };
    QTimer::singleShot(300, &m_graph->controller, warmUp);
    // Either player without its real output: the user must know why nothing
    // is heard (each retries by itself).
    auto soundOutput = [graph = m_graph.get()] {
        graph->window.showSoundOutputMissing(!graph->mainPlayer.soundOutputAvailable() ||
                                             !graph->insertPlayer.soundOutputAvailable());
    };
    for (GstMediaPlayer *player : {&m_graph->mainPlayer, &m_graph->insertPlayer}) {
        QObject::connect(player, &MediaPlayer::soundOutputChanged, &m_graph->window, soundOutput);
        // A player that lost its output: the device list is read afresh (the
        // sound server may have gone or restarted), so the router sees what
        // is really there.
        QObject::connect(player, &MediaPlayer::soundOutputChanged, &m_graph->devices,
                         [graph = m_graph.get(), player] {
                             if (!player->soundOutputAvailable())
                                 graph->devices.recheck();
                         });
    }
    QTimer::singleShot(0, &m_graph->window, soundOutput);
    // The output devices are known before start-up reads the choice of them.
    m_graph->devices.start();
    m_graph->window.setTestTonePlayer(
        [graph = m_graph.get()](const QString &device) { return graph->testTone.play(device); });
    // cmdTaskList: the task editor, modal over the main window; the window
    // reloads the task file when it returns. Timers and players go on meanwhile.
    m_graph->window.setTaskEditorOpener([graph = m_graph.get()](QWidget *owner) {
        TaskEditor editor(graph->controller.paths().taskFile(), graph->dialogs, graph->mediaInfo,
                          owner);
        editor.setHolidayFile(graph->controller.paths().holidayFile());
        editor.setOutputDevices(&graph->controller.outputDevices());
        editor.exec();
    });
    QObject::connect(&m_graph->controller, &MainController::tasksChanged, &m_graph->controller,
                     warmUp, Qt::QueuedConnection);
    // On the session bus once the task list is loaded and the schedule on, so
    // that the first request already finds the tasks. Without the bus the
    // program runs as before, only without remote control.
    QObject::connect(&m_graph->window, &MainWindow::startUpFinished, &m_graph->bus,
                     [graph = m_graph.get()] {
                         QString error;
                         if (!graph->bus.registerOn(QDBusConnection::sessionBus(), &error))
                             fprintf(stderr, "kolva: 远程控制不可用：%s\n", qUtf8Printable(error));
                     });
    // A sleep told by logind: the seconds it skips are caught up or reported.
    QObject::connect(&m_graph->sleepWatch, &LogindSleepWatch::sleepChanged, &m_graph->controller,
                     &MainController::noteSleep);
    // cmdDayView: one day view at a time, beside the window; a second click
    // brings it to the front. It is closed with the window.
    m_graph->window.setDayViewOpener([graph = m_graph.get()](QWidget *owner) {
        if (!graph->dayView) {
            graph->dayView = new DayWindow(graph->controller, &graph->mediaInfo, owner);
            graph->dayView->setAttribute(Qt::WA_DeleteOnClose);
        }
        graph->dayView->show();
        graph->dayView->raise();
        graph->dayView->activateWindow();
    });
}

Application::~Application() = default;

MainWindow &Application::window() {
    return m_graph->window;
}

MainController &Application::controller() {
    return m_graph->controller;
}

int Application::exec() {
    m_graph->window.show();
    return m_app.exec();
}

int runApplication(QApplication &app, const AppPaths &paths) {
    Application application(app, paths);
    return application.exec();
}

namespace {
void print(FILE *stream, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    fflush(stream);
}
} // namespace

int runCommand(const CommandLine &command, int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const AppPaths paths = AppPaths::forFolder(QCoreApplication::applicationDirPath());
    switch (command.action) {
    case CommandLine::Action::Run:
        break;
    case CommandLine::Action::Help:
        print(stdout, CommandLine::helpText());
        return 0;
    case CommandLine::Action::Invalid:
        print(stderr, command.message + u'\n');
        return CommandLine::ExitBadArguments;
    case CommandLine::Action::Remote:
        print(stderr,
              QStringLiteral("这个版本还不能远程控制正在运行的播放器：%1\n").arg(command.option));
        return CommandLine::ExitBadArguments;
    case CommandLine::Action::History:
        print(stdout, historyText(paths, command.date));
        return 0;
    case CommandLine::Action::Preview: {
        // The song lengths come from the discoverer, as the window's do; the
        // plan is printed once every answer is in.
        MediaInfoCache lengths;
        PreviewCommand preview(paths, command.date, &lengths);
        QObject::connect(&preview, &PreviewCommand::finished, &app, [](const QString &text) {
            print(stdout, text);
            QCoreApplication::exit(0);
        });
        QString error;
        if (!preview.start(&error)) {
            print(stderr, error + u'\n');
            return CommandLine::ExitUnreadable;
        }
        return app.exec();
    }
    }
    return 0;
}

} // namespace kolva
