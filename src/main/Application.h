#pragma once
// The object graph of the running program, built in one place: the clock,
// the power-off, the two GStreamer players and their media-info cache, the
// main window's logic, the window with its desktop services and the remote
// control on the session bus. main() holds the single-instance lock and then
// calls runApplication.

#include <memory>

#include "base/AppPaths.h"

class QApplication;

namespace kolva {

class MainController;
class MainWindow;
class WheelGuard;

class Application {
public:
    Application(QApplication &app, const AppPaths &paths);
    ~Application();
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;

    MainWindow &window();
    MainController &controller();

    // Shows the window (start-up follows on the first timerLoad tick) and
    // runs the event loop until the window is closed.
    int exec();

private:
    struct Graph;
    QApplication &m_app;
    std::unique_ptr<WheelGuard> m_wheelGuard; // before any window exists
    std::unique_ptr<Graph> m_graph;
};

int runApplication(QApplication &app, const AppPaths &paths);

struct CommandLine;
// Carries out an option that needs no window (app/CommandLine) and returns
// the exit code; builds its own QCoreApplication.
int runCommand(const CommandLine &command, int argc, char **argv);

} // namespace kolva
