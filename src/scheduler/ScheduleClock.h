#pragma once
// The schedule: switching it on and off, the rule that makes a task due, the
// order of work in one schedule tick and the clock text.
//
// Due rule. timerLoop ticks once per clock second (SecondTimer). A tick looks
// at every second since the previous tick, up to CatchUpSeconds back, so a
// late tick loses nothing within a minute; a task whose second lies further
// back (suspend, the clock set forward) is reported missed. Each task starts
// at most once for each day's occurrence of its start second: the occurrence
// it was last started (or reported) for is remembered, so a task that plays
// out inside its second, a tick repeated in one second or the clock set back
// never start it again. At most one task starts per tick, the oldest second
// first and list order within a second; the others of that same second are
// reported as not started, later seconds wait for the next tick. Seconds
// before the schedule was switched on are never due. A task started by hand
// does not count as its daily start.
//
// Thread: UI thread. The schedule is on exactly while timerLoop runs; the
// timer belongs to the main window and is only switched here.

#include <QString>
#include <QTime>
#include <QVector>
#include <cstdint>
#include <functional>

#include "model/DueRule.h"
#include "model/Task.h"

namespace kolva {

class Clock;
class HolidayCalendar;
class PlayerControl;
class PlayHistory;
class SecondTimer;

class ScheduleClock {
public:
    static constexpr int LoopIntervalMs = 1000;
    static constexpr int StopWaitMs = 500;
    // How far back a late tick still starts a task that was due.
    static constexpr int CatchUpSeconds = 60;

    // refreshStatusPage: the window rewrites its status strip. delay: waits
    // while events are processed (kolva::delay; tests deliver fake events).
    ScheduleClock(Clock &clock, PlayerControl &players, SecondTimer &timerLoop,
                  std::function<void()> refreshStatusPage, std::function<void(double)> delay);

    void setDelay(std::function<void(double)> delay) { m_delay = std::move(delay); }
    // Where missed tasks and stops by the user are written (may be null).
    void setHistory(PlayHistory *history) { m_history = history; }

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

    // The day the schedule works on and the holiday calendar its tasks
    // follow, both looked at on every tick (unset: the clock's date, no
    // calendar). The calendar must outlive the schedule.
    void setPlayDays(std::function<QDate()> today, const HolidayCalendar *calendar);
    // The due rule (model/DueRule) for a task on a day, with the schedule's
    // calendar; a task that is not due on the present day never starts.
    DueCheck dueOn(const Task &task, const QDate &date) const;
    QDate today() const;
    bool playsToday(const Task &task) const { return dueOn(task, today()).day.plays; }

    // Starts the task whose start second is the oldest one due since the
    // previous tick (see the due rule above) and reports the missed ones.
    void checkDueTasks(const TaskList &tasks);

    // The next task that will still start today: its start second (-1 when
    // none is left) and title. Ties go to the first in list order.
    struct NextTask {
        int second = -1;
        QString title;
    };
    NextTask nextTaskToday(const TaskList &tasks);

    // True when the clock text names the hour, minute and second of `now`. A
    // text that is not a valid clock time is never due.
    static bool isClockTimeNow(const QString &clockText, const QTime &now);

    // "HH:MM:SS" of the present time of day.
    QString clockText() const;

private:
    // Seconds counted over days (Julian day * 86400 + second of the day), so
    // that one number orders every second of the local wall clock.
    int64_t secondNow() const;
    void note(const QString &event, const QString &title, const QString &detail);

    Clock &m_clock;
    PlayerControl &m_players;
    SecondTimer &m_timerLoop;
    PlayHistory *m_history = nullptr;
    // First second a tick may find due: the switch-on, or the second the
    // clock was set back to. Max while the schedule has never been on.
    int64_t m_checkFrom = INT64_MAX;
    int64_t m_lastSecond = 0; // second of the previous tick
    // Per TaskID: the occurrence (a secondNow value) last started or
    // reported, so no occurrence is handled twice.
    QHash<int32_t, int64_t> m_handled;
    std::function<void()> m_refreshStatusPage;
    std::function<void(double)> m_delay;
    std::function<QDate()> m_today;
    const HolidayCalendar *m_calendar = nullptr;
};

} // namespace kolva
