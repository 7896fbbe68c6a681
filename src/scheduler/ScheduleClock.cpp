#include "scheduler/ScheduleClock.h"

#include <algorithm>
#include <utility>

#include "base/Clock.h"
#include "base/PlayHistory.h"
#include "model/ClockTime.h"
#include "model/HolidayCalendar.h"
#include "playback/PlayerControl.h"
#include "scheduler/MissedStarts.h"
#include "scheduler/SecondTimer.h"

namespace kolva {

ScheduleClock::ScheduleClock(Clock &clock, PlayerControl &players, SecondTimer &timerLoop,
                             std::function<void()> refreshStatusPage)
    : m_clock(clock), m_players(players), m_timerLoop(timerLoop),
      m_refreshStatusPage(std::move(refreshStatusPage)) {}

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
        m_lastTickMs = m_clock.tickMs();
        m_lastBootMs = m_clock.bootMs();
        m_notRunningUntil = 0;
    }
    m_timerLoop.start();
    if (m_refreshStatusPage)
        m_refreshStatusPage();
}

void ScheduleClock::stopSchedule() {
    m_timerLoop.stop();
    m_checkFrom = INT64_MAX;
    stopPlayersByUser();
    if (m_refreshStatusPage)
        m_refreshStatusPage();
}

void ScheduleClock::stopPlayersByUser() {
    for (int index : {PlayerControl::InsertPlayer, PlayerControl::MainPlayer}) {
        if (m_players.slot(index).busy())
            note(PlayHistory::StoppedByUser, m_players.playingTask(index).Title,
                 index == PlayerControl::MainPlayer ? QStringLiteral("主播")
                                                    : QStringLiteral("插播"));
    }
    m_players.stopAll();
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
    guarded([&] { prepareSoonDue(tasks); });
}

void ScheduleClock::prepareSoonDue(const TaskList &tasks) {
    const QDateTime wall = m_clock.localNow();
    const int nowOfDay = wall.time().msecsSinceStartOfDay() / 1000;
    const int64_t today = wall.date().toJulianDay() * 86400;
    const Task *soon = nullptr;
    int soonStart = 0;
    for (const Task &task : tasks) {
        const DueCheck check = dueOn(task, wall.date()); // the schedule's one due rule
        const int start = check.startSecond;
        if (!check.due() || start <= nowOfDay || start > nowOfDay + PrepareAheadSeconds)
            continue;
        const auto handled = m_handled.constFind(task.TaskID);
        if (handled != m_handled.constEnd() && *handled == today + start)
            continue;
        if (m_players.isTaskPlaying(task.TaskID))
            continue; // it would not start again
        if (!soon || start < soonStart) {
            soon = &task;
            soonStart = start;
        }
    }
    if (soon)
        m_players.prepareTask(*soon);
    else
        m_players.cancelPrepared();
}

void ScheduleClock::checkDueTasks(const TaskList &tasks) {
    const QDateTime wall = m_clock.localNow();
    const int nowOfDay = wall.time().msecsSinceStartOfDay() / 1000;
    const int64_t now = wall.date().toJulianDay() * 86400 + nowOfDay;
    const int64_t tick = m_clock.tickMs(), boot = m_clock.bootMs();
    // The clock set back: the seconds from there on are looked at again; what
    // already started today is known by its occurrence and stays started.
    const bool setBack = now < m_lastSecond && m_checkFrom != INT64_MAX;
    if (setBack)
        m_checkFrom = now;
    // Why the seconds since the previous tick went by unseen, if they did.
    const Gap gap = setBack ? Gap::None
                            : classifyGap(now - m_lastSecond, tick - m_lastTickMs,
                                          boot - m_lastBootMs, m_sleepSeen);
    m_lastSecond = now;
    m_lastTickMs = tick;
    m_lastBootMs = boot;
    m_sleepSeen = false;
    const int64_t notRunningUntil = std::exchange(m_notRunningUntil, 0);
    // Seconds the program did not live through (asleep, the clock set
    // ahead, not running yet) get one start: the latest that is due.
    const bool skipped = gap == Gap::Sleep || gap == Gap::ClockForward || notRunningUntil > 0;
    if (now < m_checkFrom)
        return;

    const QDate today = this->today();
    MissedReport report;
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
        const int64_t late = now - occurrence;
        if (late > catchUpSeconds(task, start)) {
            m_handled.insert(task.TaskID, occurrence);
            const QString why = occurrence < notRunningUntil ? kNotRunning : gapReason(gap);
            const QString policy = task.CatchUp == 0 ? QStringLiteral("不补播")
                                   : task.CatchUp == kCatchUpWindow
                                       ? QStringLiteral("已过补播时段")
                                       : QStringLiteral("超过补播时间%1分钟").arg(task.CatchUp);
            note(PlayHistory::Missed, task.Title,
                 QStringLiteral("%1，%2 的开始晚了%3，%4")
                     .arg(why, startText(start), lateText(late), policy));
            report.missed << QStringLiteral("%1 %2（%3）").arg(startText(start), task.Title, why);
            continue;
        }
        due.append({occurrence, i});
    }
    orderDueStarts(due);
    // After a skip only the latest second starts; the earlier ones are
    // replaced by it. Otherwise the oldest second first, later seconds wait
    // for the next tick (one start per tick).
    const int64_t firstSecond = due.isEmpty() ? 0
                                : skipped     ? due.last().second
                                              : due.first().second;
    const Task *started = nullptr;
    QVector<DueStart> replaced;
    for (const DueStart &d : due) {
        const Task &task = tasks[d.index];
        if (d.second > firstSecond)
            break;
        m_handled.insert(task.TaskID, d.second);
        const int start = secondOfDay(task.StartTime);
        if (d.second < firstSecond) {
            replaced << d;
            continue;
        }
        if (started) {
            note(PlayHistory::Missed, task.Title,
                 QStringLiteral("与「%1」同一秒到时，未开始").arg(started->Title));
            continue;
        }
        if (m_players.isTaskPlaying(task.TaskID)) {
            note(PlayHistory::Missed, task.Title, QStringLiteral("到时仍在播放，未重新开始"));
            continue;
        }
        started = &task;
        const int64_t late = now - d.second;
        if (late <= kOnTimeSeconds) {
            m_players.playTask(task, int(late * 1000 + wall.time().msec()));
            continue;
        }
        const QString why = d.second < notRunningUntil ? kNotRunning : gapReason(gap);
        note(PlayHistory::CaughtUp, task.Title,
             QStringLiteral("补播 晚%1（%2）").arg(lateText(late), why));
        report.caughtUp << QStringLiteral("%1 %2（补播 晚%3）")
                               .arg(startText(start), task.Title, lateText(late));
        m_players.playTask(lateStart(task, start, late), int(late * 1000 + wall.time().msec()));
    }
    for (const DueStart &d : replaced) {
        const Task &task = tasks[d.index];
        const QString at = startText(secondOfDay(task.StartTime));
        const QString why = d.second < notRunningUntil ? kNotRunning : gapReason(gap);
        note(PlayHistory::Missed, task.Title,
             started
                 ? QStringLiteral("%1，%2 的开始由「%3」的补播代替").arg(why, at, started->Title)
                 : QStringLiteral("%1，%2 的开始未能补播").arg(why, at));
        report.missed << QStringLiteral("%1 %2（%3）").arg(at, task.Title, why);
    }
    if (skipped && !report.isEmpty() && m_reportMissed)
        m_reportMissed(report);
}

Task ScheduleClock::lateStart(const Task &task, int start, int64_t late) {
    // Late within its own window, a task still ends where the window does:
    // its play time is what is left of it (a StopTime ends it by itself).
    if (task.CatchUp != kCatchUpWindow || task.Duration.isEmpty())
        return task;
    Task shortened = task;
    shortened.Duration = formatClock(QTime(0, 0).addSecs(int(catchUpSeconds(task, start) - late)));
    return shortened;
}

void ScheduleClock::lookBackAtStartUp(const QStringList &historyToday, const TaskList &tasks) {
    if (!isOn())
        return;
    const int64_t midnight = m_clock.localNow().date().toJulianDay() * 86400;
    // What the history says started (or was reported) today counts as done.
    for (int index : handledOnDay(historyToday, tasks))
        m_handled.insert(tasks[index].TaskID, midnight + secondOfDay(tasks[index].StartTime));
    m_notRunningUntil = m_checkFrom;
    m_checkFrom = std::min(m_checkFrom, midnight);
}

void ScheduleClock::noteSleep(bool sleeping) {
    if (sleeping)
        m_sleepSeen = true;
}

QString ScheduleClock::startText(int second) {
    return formatClock(QTime(0, 0).addSecs(second));
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

QString ScheduleClock::clockText() const {
    return formatClock(m_clock.timeOfDay());
}

} // namespace kolva
