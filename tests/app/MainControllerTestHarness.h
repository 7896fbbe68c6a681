#pragma once
// A main window without widgets on simulated time: a fake clock, two fake
// players and the controller's timers fired by hand in the order real time
// would fire them. Hours of schedule run in milliseconds, nothing sleeps.

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/MainController.h"
#include "model/TaskFile.h"
#include "playback/PlayerControl.h"
#include "scheduler/ScheduleClock.h"
#include "support/FakeClock.h"
#include "support/FakeMediaPlayer.h"
#include "support/FakePowerOff.h"

namespace kolva::test {

struct SongSpec {
    SongSpec(const char *file, int repeat = 0, const QString &start = QString(),
             const QString &duration = QString())
        : file(QString::fromUtf8(file)), repeat(repeat), start(start), duration(duration) {}
    SongSpec(const QString &file, int repeat = 0, const QString &start = QString(),
             const QString &duration = QString())
        : file(file), repeat(repeat), start(start), duration(duration) {}
    QString file;
    int repeat = 0;
    QString start;
    QString duration;
};

inline Region makeRegion(const QString &title, QVector<SongSpec> songs, int repeat = 0,
                         const QString &duration = QString(), int volume = -1) {
    Region r = newRegion();
    r.Title = title;
    r.Repeat = repeat;
    r.Duration = duration;
    r.Volume = volume;
    for (const SongSpec &s : songs) {
        Song song;
        song.SongFile = s.file;
        song.Repeat = s.repeat;
        song.StartTime = s.start;
        song.Duration = s.duration;
        r.Songs.append(song);
    }
    return r;
}

inline Task makeTask(const QString &title, const QString &start, QVector<Region> regions = {}) {
    Task t = newTask();
    t.Title = title;
    t.StartTime = start;
    t.Regions = regions;
    return t;
}

class ControllerRig {
public:
    explicit ControllerRig(QTime start = QTime(8, 0, 0))
        : clock(start), paths{dir.path()},
          controller(paths, clock, powerOff, mainPlayer, insertPlayer) {
        QDir(dir.path()).mkpath(QStringLiteral("user/pic"));
        // The stop-all wait hands the end events of the stop to the handlers.
        controller.setDelayFunction([this](double) { deliver(); });
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
        m_sinceLoop = 0;
    }

    void writeTasks(const TaskList &tasks) { ASSERT_TRUE(saveTasks(paths.taskFile(), tasks)); }

    // Queued player events, and the 1 ms start timer whenever it is armed.
    void deliver() {
        for (int guard = 0; guard < 1000; ++guard) {
            int n = mainPlayer.deliverEvents() + insertPlayer.deliverEvents();
            if (controller.playerBugPlayArmed()) {
                controller.timerPlayerBugPlayTick();
                ++n;
            }
            if (n == 0)
                return;
        }
        ADD_FAILURE() << "player events never settle";
    }

    // Runs simulated time: players play on, the schedule ticks every 900 ms
    // while it is on, the display ticks every 500 ms.
    void run(int64_t ms, int stepMs = 100) {
        for (int64_t done = 0; done < ms; done += stepMs) {
            clock.advance(stepMs);
            mainPlayer.advance(stepMs / 1000.0);
            insertPlayer.advance(stepMs / 1000.0);
            deliver();
            m_sinceLoop += stepMs;
            m_sincePosition += stepMs;
            if (controller.scheduleOn() && m_sinceLoop >= 900) {
                m_sinceLoop -= 900;
                controller.timerLoopTick();
                deliver();
            }
            if (!controller.scheduleOn())
                m_sinceLoop = 0;
            if (m_sincePosition >= 500) {
                m_sincePosition -= 500;
                controller.timerPositionTick();
            }
        }
    }

    // Runs until the time of day is reached (within a step).
    void runUntil(QTime time, int stepMs = 100) {
        const int64_t ms = clock.timeOfDay().msecsTo(time);
        if (ms > 0)
            run(ms, stepMs);
    }

    PlayerControl &players() { return controller.players(); }
    int busy(int index) { return players().PlayerBusy[index]; }
    int calls(FakeMediaPlayer &p, const QString &call) { return int(p.calls.count(call)); }

    QTemporaryDir dir;
    FakeClock clock;
    AppPaths paths;
    FakePowerOff powerOff;
    FakeMediaPlayer mainPlayer;
    FakeMediaPlayer insertPlayer;
    MainController controller;
    QStringList errors;

private:
    int64_t m_sinceLoop = 0;
    int64_t m_sincePosition = 0;
};

// The player layer on fake players, without the window: records the players
// it asks the window to start and the open states it reports.
struct PlayerSlots {
    QTemporaryDir dir;
    AppPaths paths{dir.path()};
    FakeClock clock;
    FakePowerOff powerOff;
    FakeMediaPlayer mainPlayer, insertPlayer;
    PlayerControl players{clock, powerOff, paths, &mainPlayer, &insertPlayer};
    QVector<int> started; // TimerPlayerBugPlay tags asked for
    QVector<QPair<int, int>> openStates;

    PlayerSlots() {
        players.initPlayers(&mainPlayer, &insertPlayer);
        players.setHooks({[this](int i) { started << i; },
                          [this](int i, int state) {
                              openStates.append({i, state});
                          }});
    }
};

} // namespace kolva::test
