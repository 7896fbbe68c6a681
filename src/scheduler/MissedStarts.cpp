#include "scheduler/MissedStarts.h"

#include <cstdlib>

#include "base/PlayHistory.h"
#include "model/ClockTime.h"

namespace kolva {

namespace {
// Two counters that disagree by more than this moved apart: one tick's
// jitter stays well below it.
constexpr int64_t kJumpMs = 2000;
} // namespace

Gap classifyGap(int64_t wallSeconds, int64_t tickMs, int64_t bootMs, bool sleepSeen) {
    if (wallSeconds <= 1)
        return Gap::None;
    if (sleepSeen || bootMs - tickMs > kJumpMs)
        return Gap::Sleep;
    if (std::llabs(wallSeconds * 1000 - tickMs) > kJumpMs)
        return Gap::ClockForward;
    return Gap::Late;
}

QString gapReason(Gap gap) {
    switch (gap) {
    case Gap::None:
        return {};
    case Gap::Late:
        return QStringLiteral("检测延迟");
    case Gap::Sleep:
        return QStringLiteral("系统休眠");
    case Gap::ClockForward:
        return QStringLiteral("时钟调整");
    }
    return {};
}

QSet<int> handledOnDay(const QStringList &historyLines, const TaskList &tasks) {
    QSet<int> handled;
    for (const QString &text : historyLines) {
        const HistoryLine line = HistoryLine::parse(text);
        const bool scheduledStart =
            line.event == PlayHistory::Started && !line.detail.endsWith(QStringLiteral("手动"));
        if (!scheduledStart && line.event != PlayHistory::CaughtUp &&
            line.event != PlayHistory::Missed)
            continue;
        const int at = secondOfDay(line.timeOfDay());
        int best = -1, bestStart = -1;
        for (int i = 0; i < tasks.size(); ++i) {
            const int start = secondOfDay(tasks[i].StartTime);
            if (tasks[i].Title == line.title && start >= 0 && start <= at && start > bestStart) {
                best = i;
                bestStart = start;
            }
        }
        if (best >= 0)
            handled.insert(best);
    }
    return handled;
}

QString MissedReport::text(const QString &separator) const {
    QStringList lines;
    for (const QString &m : missed)
        lines << QStringLiteral("错过：") + m;
    for (const QString &c : caughtUp)
        lines << QStringLiteral("补播：") + c;
    return lines.join(separator);
}

} // namespace kolva
