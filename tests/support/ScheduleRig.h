#pragma once
// The schedule, the player layer and the playback monitor on simulated time,
// without the main window's controller: what the controller wires together,
// wired the same way (player events and the start timer reach the monitor,
// each step's failure is collected in `errors`).

#include <gtest/gtest.h>
#include <optional>

#include "model/TaskFile.h"
#include "playback/PlayerControl.h"
#include "scheduler/PlaybackDisplay.h"
#include "scheduler/PlaybackMonitor.h"
#include "scheduler/ScheduleClock.h"
#include "support/SimulatedTime.h"
#include "support/TaskBuilders.h"

namespace kolva::test {

class ScheduleRig : public SimulatedRig {
public:
    explicit ScheduleRig(QTime start = QTime(8, 0, 0))
        : SimulatedRig(start), control(clock, powerOff, paths, &mainPlayer, &insertPlayer),
          schedule(clock, control, timerLoop, {}), monitor(control, display, paths, {}) {
        QObject::connect(&timerLoop, &SecondTimer::timeout, [this] {
            schedule.tick(tasks, [this](const QString &m) { errors << m; });
        });
        m_time.setTimers({{&timerLoop}, [this] { guarded([&] { monitor.timerPositionTick(); }); }});
        control.setHistory(&history);
        schedule.setHistory(&history);
        control.setHooks({[this](int index) { monitor.playerResumed(index); }});
        FakeMediaPlayer *both[2] = {&mainPlayer, &insertPlayer};
        for (int i = 0; i < 2; ++i) {
            QObject::connect(both[i], &MediaPlayer::statusChange, [this, i](PlayState state) {
                guarded([&] { monitor.statusChange(i, state); });
            });
            QObject::connect(both[i], &MediaPlayer::openStateChange, [this, i](OpenState state) {
                guarded([&] { monitor.openStateChange(i, state); });
            });
        }
    }

    // Writes the task file, loads it as the program does and starts the
    // schedule.
    void startUp(const TaskList &list = {}) {
        ASSERT_TRUE(saveTasks(paths.taskFile(), list));
        control.initPlayers(&mainPlayer, &insertPlayer);
        ASSERT_TRUE(loadTasks(paths.taskFile(), tasks));
        schedule.startSchedule();
    }

    PlayerControl &players() { return control; }
    int busy(int index) const { return control.slot(index).busy() ? 1 : 0; }
    QStringList historyOf(const QString &event) { return test::historyOf(history, event); }

    SecondTimer timerLoop{clock};
    PlayHistory history{clock, paths.historyFile()};
    TaskList tasks;
    PlaybackDisplay display;
    PlayerControl control;
    ScheduleClock schedule;
    PlaybackMonitor monitor;
    QStringList errors;

private:
    template <typename F> void guarded(F &&step) {
        runReporting(step, [this](const QString &m) { errors << m; });
    }
};

} // namespace kolva::test
