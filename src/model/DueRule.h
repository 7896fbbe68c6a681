#pragma once
// The rule that makes a task due, as far as it does not depend on the running
// clock: whether a task falls due on a date at all, at which second of it,
// and which of several tasks due in one second starts. The schedule asks it
// on every tick; the day view and `kolva --preview` ask it for any date, so
// what they say is what the schedule then does.

#include <QDate>
#include <QString>
#include <QVector>
#include <cstdint>

#include "model/PlayDays.h"
#include "model/Task.h"

namespace kolva {

class HolidayCalendar;

struct DueCheck {
    // Why not, in the order it is decided: a disabled task is "disabled"
    // whatever its start time says.
    enum class Verdict { Due, Disabled, BadStartTime, NotPlayDay, Holiday };
    Verdict verdict = Verdict::Due;
    int startSecond = -1; // second of the day of StartTime; -1: not a clock time
    PlayDay day;          // its play days and the calendar on the date
    bool due() const { return verdict == Verdict::Due; }
};

DueCheck checkDue(const Task &task, const QDate &date, const HolidayCalendar &calendar);

// A start within this many seconds of its due second is on time for every
// task: a tick that slipped into the next second is no missed start.
inline constexpr int kOnTimeSeconds = 1;

// How many seconds after its due second (`startSecond` of the day) a start
// the program could not make on time may still be made (task.CatchUp): its
// minutes, or for kCatchUpWindow the task's own window (its Duration, else
// up to its StopTime; without either, the default minute). Never below
// kOnTimeSeconds.
int64_t catchUpSeconds(const Task &task, int startSecond);

// "3分12秒", "1小时5分", "12秒": how late, for the history and the tray.
QString lateText(int64_t seconds);

// One task due at one second (seconds counted over days, so the order runs
// across midnight; `index` is its place in the list).
struct DueStart {
    int64_t second = 0;
    int index = 0;
};

// The order due tasks start in: the oldest second first, list order within a
// second. One task starts per second: the first of a second that starts
// takes it, the others of that second do not start at all (a task that is
// still on the player when its second comes takes nothing).
void orderDueStarts(QVector<DueStart> &due);

} // namespace kolva
