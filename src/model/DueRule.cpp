#include "model/DueRule.h"

#include <algorithm>

#include "model/ClockTime.h"
#include "model/HolidayCalendar.h"

namespace kolva {

DueCheck checkDue(const Task &task, const QDate &date, const HolidayCalendar &calendar) {
    DueCheck check;
    check.startSecond = secondOfDay(task.StartTime);
    check.day = playDayOf(task, date, calendar);
    if (!task.Enabled)
        check.verdict = DueCheck::Verdict::Disabled;
    else if (check.startSecond < 0)
        check.verdict = DueCheck::Verdict::BadStartTime;
    else if (!check.day.plays)
        check.verdict = check.day.entry && check.day.entry->kind == DayKind::Holiday
                            ? DueCheck::Verdict::Holiday
                            : DueCheck::Verdict::NotPlayDay;
    return check;
}

int64_t catchUpSeconds(const Task &task, int startSecond) {
    int64_t seconds = int64_t(task.CatchUp) * 60;
    if (task.CatchUp == kCatchUpWindow) {
        // As the limit check: a Duration wins over a StopTime.
        if (!task.Duration.isEmpty())
            seconds = timeToMs(task.Duration) / 1000;
        else if (const int stop = secondOfDay(task.StopTime); stop >= 0)
            seconds = stop - startSecond;
        else
            seconds = int64_t(kDefaultCatchUp) * 60;
    }
    return std::max<int64_t>(seconds, kOnTimeSeconds);
}

QString lateText(int64_t seconds) {
    const int64_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
    QString text;
    if (hours > 0)
        text += QStringLiteral("%1小时").arg(hours);
    if (minutes > 0)
        text += QStringLiteral("%1分").arg(minutes);
    if (rest > 0 || text.isEmpty())
        text += QStringLiteral("%1秒").arg(rest);
    return text;
}

void orderDueStarts(QVector<DueStart> &due) {
    std::stable_sort(due.begin(), due.end(),
                     [](const DueStart &a, const DueStart &b) { return a.second < b.second; });
}

} // namespace kolva
