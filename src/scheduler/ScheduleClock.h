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

#include "model/Task.h"

namespace kolva {

class Clock;
class PlayerControl;
class PlayHistory;
class SecondTimer;

class ScheduleClock {
public:
    static constexpr int LoopIntervalMs = 1000;
    // How far back a late tick still starts a task that was due.
    static constexpr int CatchUpSeconds = 60;
    // How far ahead a due task's first entry is opened on its player.
    static constexpr int PrepareAheadSeconds = 2;

    // refreshStatusPage: the window rewrites its status strip.
    ScheduleClock(Clock &clock, PlayerControl &players, SecondTimer &timerLoop,
                  std::function<void()> refreshStatusPage);

    // Where missed tasks and stops by the user are written (may be null).
    void setHistory(PlayHistory *history) { m_history = history; }

    bool isOn() const;
    void startSchedule();
    // Switches the schedule off and stops both players (stopPlayersByUser).
    void stopSchedule();
    // Stops both players as the user's stop, written to the history; the
    // schedule stays as it is. The end events of the stop arrive later and
    // are refused by the players' slots (their tasks have ended), so nothing
    // waits for them.
    void stopPlayersByUser();

    // One schedule tick: the limits of what plays, then at most one due task.
    // A failure in one step is handed to `report` and does not skip the other.
    void tick(const TaskList &tasks, const std::function<void(const QString &)> &report);

    // Whether a task plays today at all (its play days and the holiday
    // calendar); a task that does not is never due. Unset: every task.
    void setPlayDayRule(std::function<bool(const Task &)> rule) { m_playsToday = std::move(rule); }
    bool playsToday(const Task &task) const { return !m_playsToday || m_playsToday(task); }

    // Starts the task whose start second is the oldest one due since the
    // previous tick (see the due rule above) and reports the missed ones.
    void checkDueTasks(const TaskList &tasks);
    // Opens ahead the first entry of the task due next within
    // PrepareAheadSeconds (PlayerControl::prepareTask); drops what was
    // opened for a task no longer due that soon.
    void prepareSoonDue(const TaskList &tasks);

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
    std::function<bool(const Task &)> m_playsToday;
};

} // namespace kolva
