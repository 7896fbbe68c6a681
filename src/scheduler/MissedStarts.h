#pragma once
// What the schedule needs to handle starts it could not make on their
// second: why the seconds since the previous tick went by unseen (the system
// slept, the wall clock was set forward, the program was held up), which
// tasks already started today by the history (a restart never plays one
// twice, and reports a missed one only once), and the report of one catch-up
// for the tray and the error line.

#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "model/Task.h"

namespace kolva {

enum class Gap {
    None,         // the next second, as every tick
    Late,         // the program was held up (wall and monotonic clock agree)
    Sleep,        // the system slept
    ClockForward, // the wall clock moved ahead of the monotonic clock
};

// The gap since the previous tick from how far the local wall clock
// (seconds), the monotonic counter and the boot counter (ms, it runs on in
// sleep) moved; `sleepSeen`: logind said the system goes to sleep since.
Gap classifyGap(int64_t wallSeconds, int64_t tickMs, int64_t bootMs, bool sleepSeen);

// Why a start was not made on time, as the history says it.
inline const QString kNotRunning = QStringLiteral("程序未运行");
QString gapReason(Gap gap); // "系统休眠", "时钟调整", "检测延迟" ("" for None)

// The tasks (by index) whose start of the day the history lines of that day
// say was made or reported already: a 开始 not made by hand, a 补播 or a 错过.
// A line counts for the task of its title with the latest start time not
// after the line's time.
QSet<int> handledOnDay(const QStringList &historyLines, const TaskList &tasks);

// One catch-up: what was missed and what was started late, one line each.
struct MissedReport {
    QStringList missed;   // "08:00:00 上课铃（程序未运行）"
    QStringList caughtUp; // "09:30:00 音乐（补播 晚3分12秒）"
    bool isEmpty() const { return missed.isEmpty() && caughtUp.isEmpty(); }
    // "错过：…；补播：…", the lines joined by `separator`.
    QString text(const QString &separator) const;
};

} // namespace kolva
