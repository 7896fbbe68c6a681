#include "scheduler/ScheduleClock.h"

#include <algorithm>

#include "base/Clock.h"
#include "base/PlayHistory.h"
#include "model/ClockTime.h"
#include "model/HolidayCalendar.h"
#include "playback/PlayerControl.h"
#include "scheduler/SecondTimer.h"

namespace kolva {

ScheduleClock::ScheduleClock(Clock &clock, PlayerControl &players, SecondTimer &timerLoop,
                             std::function<void()> refreshStatusPage,
                             std::function<void(double)> delay)
    : m_clock(clock), m_players(players), m_timerLoop(timerLoop),
      m_refreshStatusPage(std::move(refreshStatusPage)), m_delay(std::move(delay)) {}

void ScheduleClock::setPlayDays(std::function<QDate()> today, const HolidayCalendar *calendar) {
    m_today = std::move(today);
    m_calendar = calendar;
}

QDate ScheduleClock::today() const {
    // Before the owner first read the date, the clock's date.
    const QDate date = m_today ? m_today() : QDate();
    return date.isValid() ? date : m_clock.date();
}

DueCheck ScheduleClock::dueOn(const Task &task, const QDate &date) const {
    static const HolidayCalendar noHolidays;
    return checkDue(task, date, m_calendar ? *m_calendar : noHolidays);
}

bool ScheduleClock::isOn() const {
    return m_timerLoop.isActive();
}

int64_t ScheduleClock::secondNow() const {
    const QDateTime now = m_clock.localNow();
    return now.date().toJulianDay() * 86400 + now.time().msecsSinceStartOfDay() / 1000;
}

void ScheduleClock::note(const QString &event, const QString &title, const QString &detail) {
    if (m_history)
        m_history->append(event, title, detail);
}

void ScheduleClock::startSchedule() {
    // The window of due seconds opens with the second of the switch-on:
    // seconds that passed while the schedule was off are not caught up.
    if (!m_timerLoop.isActive()) {
        m_checkFrom = secondNow();
        m_lastSecond = m_checkFrom;
    }
    m_timerLoop.start();
    if (m_refreshStatusPage)
        m_refreshStatusPage();
}

void ScheduleClock::stopSchedule() {
    m_timerLoop.stop();
    m_checkFrom = INT64_MAX;
    for (int index : {PlayerControl::InsertPlayer, PlayerControl::MainPlayer}) {
        if (m_players.PlayerBusy[index] == 1)
            note(PlayHistory::StoppedByUser, m_players.PlayingTasks[index].Title,
                 index == PlayerControl::MainPlayer ? QStringLiteral("主播")
                                                    : QStringLiteral("插播"));
    }
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
    const QDateTime wall = m_clock.localNow();
    const int nowOfDay = wall.time().msecsSinceStartOfDay() / 1000;
    const int64_t now = wall.date().toJulianDay() * 86400 + nowOfDay;
    // The clock set back: the seconds from there on are looked at again; what
    // already started today is known by its occurrence and stays started.
    if (now < m_lastSecond && m_checkFrom != INT64_MAX)
        m_checkFrom = now;
    m_lastSecond = now;
    if (now < m_checkFrom)
        return;
    const int64_t catchUpFrom = std::max(m_checkFrom, now - CatchUpSeconds);

    const QDate today = this->today();
    QVector<DueStart> due;
    for (int i = 0; i < tasks.size(); ++i) {
        const Task &task = tasks[i];
        DueCheck check = dueOn(task, today);
        const int start = check.startSecond;
        if (start < 0 || check.verdict == DueCheck::Verdict::Disabled)
            continue;
        // The latest occurrence of the start second at or before now; one
        // before midnight is due by the rule of the day before.
        const int64_t occurrence = now - (nowOfDay - start + 86400) % 86400;
        if (occurrence < m_checkFrom)
            continue;
        const auto handled = m_handled.constFind(task.TaskID);
        if (handled != m_handled.constEnd() && *handled == occurrence)
            continue;
        if (start > nowOfDay)
            check = dueOn(task, today.addDays(-1));
        if (!check.due())
            continue;
        if (occurrence < catchUpFrom) {
            m_handled.insert(task.TaskID, occurrence);
            note(PlayHistory::Missed, task.Title,
                 QStringLiteral("%1 检测晚了%2秒，超过%3秒不再补播（休眠、暂停或时钟调快）")
                     .arg(formatClock(QTime(0, 0).addSecs(start)))
                     .arg(now - occurrence)
                     .arg(CatchUpSeconds));
            continue;
        }
        due.append({occurrence, i});
    }
    if (due.isEmpty())
        return;
    orderDueStarts(due);

    const Task *started = nullptr;
    int64_t startedSecond = 0;
    for (const DueStart &d : due) {
        const Task &task = tasks[d.index];
        if (started) {
            // Later seconds wait for the next tick (one start per tick).
            if (d.second != startedSecond)
                break;
            m_handled.insert(task.TaskID, d.second);
            note(PlayHistory::Missed, task.Title,
                 QStringLiteral("与「%1」同一秒到时，未开始").arg(started->Title));
            continue;
        }
        m_handled.insert(task.TaskID, d.second);
        if (m_players.isTaskPlaying(task.TaskID)) {
            note(PlayHistory::Missed, task.Title, QStringLiteral("到时仍在播放，未重新开始"));
            continue;
        }
        const int64_t lateMs = (now - d.second) * 1000 + wall.time().msec();
        started = &task;
        startedSecond = d.second;
        m_players.playTask(task, int(lateMs));
    }
}

ScheduleClock::NextTask ScheduleClock::nextTaskToday(const TaskList &tasks) {
    NextTask next;
    const QDateTime wall = m_clock.localNow();
    const int nowOfDay = wall.time().msecsSinceStartOfDay() / 1000;
    const int64_t today = wall.date().toJulianDay() * 86400;
    const QDate date = this->today();
    for (const Task &task : tasks) {
        const DueCheck check = dueOn(task, date);
        if (!check.due())
            continue;
        const int start = check.startSecond;
        if (start < nowOfDay || (next.second >= 0 && start >= next.second))
            continue;
        const auto handled = m_handled.constFind(task.TaskID);
        if (handled != m_handled.constEnd() && *handled == today + start)
            continue;
        next.second = start;
        next.title = task.Title;
    }
    return next;
}

bool ScheduleClock::isClockTimeNow(const QString &clockText, const QTime &now) {
    const int start = secondOfDay(clockText);
    return start >= 0 && start == now.hour() * 3600 + now.minute() * 60 + now.second();
}

QString ScheduleClock::clockText() const {
    return formatClock(m_clock.timeOfDay());
}

} // namespace kolva
