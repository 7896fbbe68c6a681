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
          schedule(clock, control, timerLoop, {}, [this](double) { deliver(); }),
          monitor(control, schedule, display, paths, {}) {
        QObject::connect(&timerLoop, &SecondTimer::timeout, [this] {
            schedule.tick(tasks, [this](const QString &m) { errors << m; });
        });
        m_time.setTimers({{&timerLoop},
                          [this] { guarded([&] { monitor.timerPositionTick(); }); },
                          [this] { return startTimerTick(); }});
        control.setHistory(&history);
        schedule.setHistory(&history);
        control.setHooks(
            {[this](int index) { m_startTag = index; },
             [this](int index, int state) { monitor.wmp_OpenStateChange(index, state); }});
        FakeMediaPlayer *both[2] = {&mainPlayer, &insertPlayer};
        for (int i = 0; i < 2; ++i) {
            QObject::connect(both[i], &MediaPlayer::statusChange,
                             [this, i] { guarded([&] { monitor.statusChange(i); }); });
            QObject::connect(both[i], &MediaPlayer::openStateChange, [this, i](int state) {
                guarded([&] { monitor.wmp_OpenStateChange(i, state); });
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

    bool startTimerArmed() const { return m_startTag.has_value(); }

    PlayerControl &players() { return control; }
    int busy(int index) const { return control.PlayerBusy[index]; }
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
    bool startTimerTick() {
        if (!m_startTag)
            return false;
        const int tag = *m_startTag;
        m_startTag.reset();
        guarded([&] { monitor.TimerPlayerBugPlay(tag); });
        return true;
    }

    std::optional<int> m_startTag; // the armed start timer's player
};

} // namespace kolva::test
