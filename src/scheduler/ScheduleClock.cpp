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
        // isClockTimeNow, with the parsed start times remembered.
        const int start = startSecond(task.StartTime);
        if (start >= 0 && start == nowSecond) {
            m_players.playTask(task);
            return;
        }
    }
}

int ScheduleClock::secondOfDay(const QString &clockText) {
    const auto digit = [&](int i) { return clockText[i].unicode() - u'0'; };
    const auto isDigit = [&](int i) {
        const char16_t c = clockText[i].unicode();
        return c >= u'0' && c <= u'9';
    };
    if (clockText.size() == 8 && clockText[2] == QLatin1Char(':') &&
        clockText[5] == QLatin1Char(':') && isDigit(0) && isDigit(1) && isDigit(3) && isDigit(4) &&
        isDigit(6) && isDigit(7)) {
        const int h = digit(0) * 10 + digit(1);
        const int m = digit(3) * 10 + digit(4);
        const int s = digit(6) * 10 + digit(7);
        if (h > 23 || m > 59 || s > 59)
            return -1;
        return h * 3600 + m * 60 + s;
    }
    // Other spellings (a hand-edited file): the one clock-time reader decides.
    QTime t;
    if (!parseTime(clockText, &t))
        return -1;
    return t.hour() * 3600 + t.minute() * 60 + t.second();
}

int ScheduleClock::startSecond(const QString &clockText) {
    if (clockText.size() == 8)
        return secondOfDay(clockText);
    const auto found = m_parsedStartTimes.constFind(clockText);
    if (found != m_parsedStartTimes.constEnd())
        return *found;
    if (m_parsedStartTimes.size() > 100000)
        m_parsedStartTimes.clear();
    const int second = secondOfDay(clockText);
    m_parsedStartTimes.insert(clockText, second);
    return second;
}

bool ScheduleClock::isClockTimeNow(const QString &clockText, const QTime &now) {
    const int start = secondOfDay(clockText);
    return start >= 0 && start == now.hour() * 3600 + now.minute() * 60 + now.second();
}

QString ScheduleClock::clockText() const {
    return formatClock(m_clock.timeOfDay());
}

} // namespace kolva
