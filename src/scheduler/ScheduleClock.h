#pragma once
// The schedule: switching it on and off, the rule that makes a task due, the
// order of work in one schedule tick and the clock text.
//
// Thread: UI thread. The schedule is on exactly while timerLoop runs; the
// timer belongs to the main window and is only switched here.

#include <QString>
#include <QTime>
#include <QVector>
#include <functional>

#include "model/Task.h"

class QTimer;

namespace kolva {

class Clock;
class PlayerControl;

class ScheduleClock {
public:
    static constexpr int LoopIntervalMs = 900;
    static constexpr int StopWaitMs = 500;

    // refreshStatusPage: the window rewrites its status strip. delay: waits
    // while events are processed (kolva::delay; tests deliver fake events).
    ScheduleClock(Clock &clock, PlayerControl &players, QTimer &timerLoop,
                  std::function<void()> refreshStatusPage, std::function<void(double)> delay);

    void setDelay(std::function<void(double)> delay) { m_delay = std::move(delay); }

    bool isOn() const;
    void startSchedule();
    void stopSchedule();
    // The stop of the picture pair and of cmdStart: stoppingAll is true while
    // the end events of the stop are handled during the 500 ms wait.
    void stopScheduleAndWait();

    // True while a stop-all waits for the end events it caused.
    bool stoppingAll = false;

    // One schedule tick: the limits of what plays, then at most one due task.
    // A failure in one step is handed to `report` and does not skip the other.
    void tick(const TaskList &tasks, const std::function<void(const QString &)> &report);

    // Whether a task plays today at all (its play days and the holiday
    // calendar); a task that does not is never due. Unset: every task.
    void setPlayDayRule(std::function<bool(const Task &)> rule) { m_playsToday = std::move(rule); }
    bool playsToday(const Task &task) const { return !m_playsToday || m_playsToday(task); }

    // Starts the first enabled task that is due now and not already on the
    // active player.
    void checkDueTasks(const TaskList &tasks);

    // True when the clock text names the hour, minute and second of `now`. A
    // text that is not a valid clock time is never due.
    static bool isClockTimeNow(const QString &clockText, const QTime &now);

    // "HH:MM:SS" of the present time of day.
    QString clockText() const;

private:
    // The last task the schedule started, in which second of the day and at
    // which tick. Two ticks can fall into one second (every 900 ms): a task
    // that has already played out or been stopped in its due second is not
    // started again by the second tick.
    struct Started {
        int32_t taskId = 0;
        int second = -1;
        int64_t tickMs = 0;
    };
    bool startedThisSecond(int32_t taskId, int nowSecond) const;

    Clock &m_clock;
    PlayerControl &m_players;
    QTimer &m_timerLoop;
    std::function<void()> m_refreshStatusPage;
    std::function<void(double)> m_delay;
    Started m_started;
    std::function<bool(const Task &)> m_playsToday;
};

} // namespace kolva
