#pragma once
// A main window without widgets on simulated time: a fake clock, two fake
// players and the controller's own timers fired by hand (SimulatedTime).

#include <gtest/gtest.h>

#include "app/MainController.h"
#include "model/TaskFile.h"
#include "playback/PlayerControl.h"
#include "scheduler/ScheduleClock.h"
#include "scheduler/SecondTimer.h"
#include "support/SimulatedTime.h"
#include "support/TaskBuilders.h"

namespace kolva::test {

class ControllerRig : public SimulatedRig {
public:
    explicit ControllerRig(QTime start = QTime(8, 0, 0))
        : SimulatedRig(start), controller(paths, clock, powerOff, mainPlayer, insertPlayer) {
        m_time.setTimers({{&controller.loopTimer(), &controller.clockTimer()},
                          [this] { controller.timerPositionTick(); }});
        QObject::connect(&controller, &MainController::errorReported,
                         [this](const QString &message) { errors << message; });
    }

    // Writes the task file and runs the start-up steps of the window.
    void startUp(const TaskList &tasks = {}) {
        writeTasks(tasks);
        controller.initPlayers();
        controller.loadTaskList();
        controller.startTimers();
        controller.startScheduleAtStartUp();
    }

    void writeTasks(const TaskList &tasks) { ASSERT_TRUE(saveTasks(paths.taskFile(), tasks)); }

    PlayerControl &players() { return controller.players(); }
    int busy(int index) { return players().slot(index).busy() ? 1 : 0; }
    int calls(FakeMediaPlayer &p, const QString &call) { return int(p.calls.count(call)); }
    QStringList historyLines() { return test::historyLines(controller.history()); }
    QStringList history(const QString &event) { return historyOf(controller.history(), event); }

    MainController controller;
    QStringList errors;
};

} // namespace kolva::test
