#pragma once
// Builds the program's object graph in one place (clock, power-off, the two
// players, the main controller and window) and runs the event loop.
// Implemented by the main window part (ui/main).

class QApplication;

namespace kolva {

struct AppPaths;

int runApplication(QApplication &app, const AppPaths &paths);

} // namespace kolva
