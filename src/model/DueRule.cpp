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

void orderDueStarts(QVector<DueStart> &due) {
    std::stable_sort(due.begin(), due.end(),
                     [](const DueStart &a, const DueStart &b) { return a.second < b.second; });
}

} // namespace kolva
