#include "scheduler/ScheduleClock.h"

#include <QTimer>

#include "base/Clock.h"
#include "model/ClockTime.h"
#include "playback/PlayerControl.h"

namespace kolva {

ScheduleClock::ScheduleClock(Clock &clock, PlayerControl &players, QTimer &timerLoop,
                             std::function<void()> refreshStatusPage,
                             std::function<void(double)> delay)
    : m_clock(clock), m_players(players), m_timerLoop(timerLoop),
      m_refreshStatusPage(std::move(refreshStatusPage)), m_delay(std::move(delay)) {}

bool ScheduleClock::isOn() const {
    return m_timerLoop.isActive();
}

void ScheduleClock::startSchedule() {
    m_timerLoop.setInterval(LoopIntervalMs);
    m_timerLoop.start();
    if (m_refreshStatusPage)
        m_refreshStatusPage();
}

void ScheduleClock::stopSchedule() {
    m_timerLoop.stop();
    m_players.stopAll();
    if (m_refreshStatusPage)
        m_refreshStatusPage();
}

void ScheduleClock::stopScheduleAndWait() {
    stoppingAll = true;
    stopSchedule();
    if (m_delay)
        m_delay(StopWaitMs);
    stoppingAll = false;
}

void ScheduleClock::tick(const TaskList &tasks,
                         const std::function<void(const QString &)> &report) {
    const auto guarded = [&](auto &&step) { runReporting(step, report); };
    // Limits first, so a task ended in this tick frees its player before a
    // due task chooses main or insert; a failed limit step must not cost a
    // due task its one second of the day.
    guarded([&] { m_players.checkPlayback(); });
    if (!tasks.isEmpty())
        guarded([&] { checkDueTasks(tasks); });
}

void ScheduleClock::checkDueTasks(const TaskList &tasks) {
    const QTime now = m_clock.timeOfDay();
    const int nowSecond = now.hour() * 3600 + now.minute() * 60 + now.second();
    for (const Task &task : tasks) {
        if (!task.Enabled)
            continue;
        if (m_players.isTaskPlaying(task.TaskID))
            continue;
        if (!playsToday(task))
            continue;
        // isClockTimeNow with the present second worked out once per tick.
        const int start = secondOfDay(task.StartTime);
        if (start >= 0 && start == nowSecond) {
            if (startedThisSecond(task.TaskID, nowSecond))
                continue;
            m_started = Started{task.TaskID, nowSecond, m_clock.tickMs()};
            m_players.playTask(task);
            return;
        }
    }
}

bool ScheduleClock::startedThisSecond(int32_t taskId, int nowSecond) const {
    if (m_started.taskId != taskId || m_started.second != nowSecond ||
        m_clock.tickMs() - m_started.tickMs >= 1000)
        return false;
    // Still held (also paused under an insert): the rules above decide.
    for (int i = 0; i < 2; ++i) {
        if (m_players.PlayerBusy[i] == 1 && m_players.PlayingTasks[i].TaskID == taskId)
            return false;
    }
    return true;
}

bool ScheduleClock::isClockTimeNow(const QString &clockText, const QTime &now) {
    const int start = secondOfDay(clockText);
    return start >= 0 && start == now.hour() * 3600 + now.minute() * 60 + now.second();
}

QString ScheduleClock::clockText() const {
    return formatClock(m_clock.timeOfDay());
}

} // namespace kolva
