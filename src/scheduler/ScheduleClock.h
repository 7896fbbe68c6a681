#pragma once
// The schedule: switching it on and off, the rule that makes a task due, the
// order of work in one schedule tick and the clock text.
//
// Due rule. timerLoop ticks once per clock second (SecondTimer). A tick looks
// at every second since the previous tick, each task as far back as its
// CatchUp allows (model/DueRule catchUpSeconds: a minute by default), so a
// late tick loses nothing within it; a task whose second lies further back
// is reported missed with the reason (程序未运行, 系统休眠, 时钟调整,
// 检测延迟). Each task starts at most once for each day's occurrence of its
// start second: the occurrence it was last started (or reported) for is
// remembered, so a task that plays out inside its second, a tick repeated in
// one second or the clock set back never start it again; at start-up today's
// history tells what already started. At most one task starts per tick, the
// oldest second first and list order within a second; the others of that
// same second are reported as not started, later seconds wait for the next
// tick. Seconds the program did not live through (the system asleep, the
// wall clock set ahead, the program not yet running) get one start only:
// the latest due second, the earlier ones reported as replaced by it. Seconds
// before the schedule was switched on by the user are never due. A task
// started by hand does not count as its daily start.
//
// Thread: UI thread. The schedule is on exactly while timerLoop runs; the
// timer belongs to the main window and is only switched here.

#include <QString>
#include <QStringList>
#include <QTime>
#include <QVector>
#include <cstdint>
#include <functional>

#include "model/DueRule.h"
#include "model/Task.h"
#include "scheduler/MissedStarts.h"

namespace kolva {

class Clock;
class HolidayCalendar;
class PlayerControl;
class PlayHistory;
class SecondTimer;

class ScheduleClock {
public:
    static constexpr int LoopIntervalMs = 1000;
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
    // Opens ahead the first entry of the task due next within
    // PrepareAheadSeconds (PlayerControl::prepareTask); drops what was
    // opened for a task no longer due that soon.
    void prepareSoonDue(const TaskList &tasks);

    // At program start-up, right after the switch-on: the seconds of today
    // before it were not lived through. The next tick treats them as
    // skipped ("程序未运行"); what `historyToday` (today's history lines)
    // says started or was reported already is not looked at again.
    void lookBackAtStartUp(const QStringList &historyToday, const TaskList &tasks);
    // The system goes to sleep (logind's PrepareForSleep) or is back.
    void noteSleep(bool sleeping);
    // Told after a tick that handled skipped seconds, when anything was
    // missed or started late.
    void setMissedReport(std::function<void(const MissedReport &)> report) {
        m_reportMissed = std::move(report);
    }

    // The next task that will still start today: its start second (-1 when
    // none is left) and title. Ties go to the first in list order.
    struct NextTask {
        int second = -1;
        QString title;
    };
    NextTask nextTaskToday(const TaskList &tasks);

    // "HH:MM:SS" of the present time of day.
    QString clockText() const;

private:
    // Seconds counted over days (Julian day * 86400 + second of the day), so
    // that one number orders every second of the local wall clock.
    int64_t secondNow() const;
    void note(const QString &event, const QString &title, const QString &detail);
    // The task as a late start plays it (a Window start ends with its window).
    static Task lateStart(const Task &task, int start, int64_t late);
    static QString startText(int second);

    Clock &m_clock;
    PlayerControl &m_players;
    SecondTimer &m_timerLoop;
    PlayHistory *m_history = nullptr;
    // First second a tick may find due: the switch-on, or the second the
    // clock was set back to. Max while the schedule has never been on.
    int64_t m_checkFrom = INT64_MAX;
    int64_t m_lastSecond = 0; // second of the previous tick
    int64_t m_lastTickMs = 0; // its monotonic and boot counters
    int64_t m_lastBootMs = 0;
    bool m_sleepSeen = false;      // logind said "sleep" since the previous tick
    int64_t m_notRunningUntil = 0; // start-up: seconds before this were not lived through
    std::function<void(const MissedReport &)> m_reportMissed;
    // Per TaskID: the occurrence (a secondNow value) last started or
    // reported, so no occurrence is handled twice.
    QHash<int32_t, int64_t> m_handled;
    std::function<void()> m_refreshStatusPage;
    std::function<QDate()> m_today;
    const HolidayCalendar *m_calendar = nullptr;
};

} // namespace kolva
