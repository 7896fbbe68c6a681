#include "app/DayPlan.h"

#include <QSet>
#include <QTime>
#include <algorithm>
#include <limits>

#include "base/PlayHistory.h"
#include "model/ClockTime.h"
#include "model/DueRule.h"
#include "model/HolidayCalendar.h"
#include "model/PlayDays.h"

namespace kolva {

namespace {

constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

// A length of play in seconds and how sure it is. The order of the kinds is
// the order in which a sum gets less sure.
struct Span {
    enum Kind { Exact, Estimated, AtMost, Unknown, Endless };
    double seconds = 0;
    Kind kind = Exact;
};

Span plus(const Span &a, const Span &b) {
    if (a.kind == Span::Endless)
        return a; // what follows never plays
    if (b.kind == Span::Endless)
        return {a.seconds, Span::Endless};
    const Span::Kind kind = a.kind == Span::Unknown || b.kind == Span::Unknown
                                ? Span::Unknown
                                : std::max(a.kind, b.kind);
    return {a.seconds + b.seconds, kind};
}

// `count` plays of a span; count < 0 is endless. Nothing played endlessly is
// still nothing: a pass in which no entry opens is not repeated.
Span times(const Span &a, int64_t count) {
    if (a.kind == Span::Exact && a.seconds <= 0)
        return a;
    if (count < 0)
        return {0, Span::Endless};
    return {a.seconds * double(count), a.kind};
}

// A limit of play time (a Duration) on a span.
Span capped(const Span &a, double limit) {
    if (a.kind == Span::Endless || a.seconds >= limit)
        return {limit, Span::Exact};
    if (a.kind == Span::Unknown)
        return {limit, Span::AtMost};
    return a;
}

int64_t playCount(int32_t repeat) {
    return repeat == -1 ? -1 : std::max<int64_t>(repeat, 1);
}

double seconds(const QString &clockText) {
    return double(timeToMs(clockText)) / 1000.0;
}

Span songSpan(const Song &song, const SongFacts &facts) {
    const auto fact = facts.constFind(song.SongFile);
    const bool known = fact != facts.constEnd();
    if (known && (!fact->problem.isEmpty() || (fact->seconds && *fact->seconds <= 0)))
        return {0, Span::Exact}; // skipped by the player
    const std::optional<double> length = known ? fact->seconds : std::nullopt;
    const double from = song.StartTime.isEmpty() ? 0 : seconds(song.StartTime);
    Span once{0, Span::Unknown};
    const double clip = song.Duration.isEmpty() ? 0 : seconds(song.Duration);
    if (clip > 0 && (!length || *length - from >= clip))
        once = {clip, Span::Exact};
    else if (length)
        once = {std::max(0.0, *length - from), Span::Estimated};
    return times(once, playCount(song.Repeat));
}

Span regionSpan(const Region &region, const SongFacts &facts) {
    Span pass;
    for (const Song &song : region.Songs)
        pass = plus(pass, songSpan(song, facts));
    Span all = times(pass, playCount(region.Repeat));
    if (!region.Duration.isEmpty())
        all = capped(all, seconds(region.Duration));
    return all;
}

// The files of a task: how many songs, how many cannot be read, and whether
// any of them may play.
struct Files {
    int songs = 0;
    int missing = 0;
    bool anyPlayable = false;
};

Files filesOf(const Task &task, const SongFacts &facts) {
    Files files;
    for (const Region &region : task.Regions) {
        for (const Song &song : region.Songs) {
            ++files.songs;
            const auto fact = facts.constFind(song.SongFile);
            if (fact == facts.constEnd()) {
                files.anyPlayable = true;
                continue;
            }
            if (!fact->problem.isEmpty())
                ++files.missing;
            else if (!fact->seconds || *fact->seconds > 0)
                files.anyPlayable = true;
        }
    }
    return files;
}

// How long a task plays from its start and what ends it.
struct Run {
    Span span;
    int64_t stopAt = kNever; // the StopTime (a second of the day) that ends it
    bool limited = false;    // a limit, not its natural end, ends it
    bool stopsAtOnce = false;
};

Run runOf(const Task &task, int start, const SongFacts &facts) {
    Run run;
    Span natural;
    for (const Region &region : task.Regions)
        natural = plus(natural, regionSpan(region, facts));
    run.span = natural;
    // As the schedule's limit check: a Duration wins over a StopTime; the
    // stop time ends the task at the first tick at or after it.
    if (!task.Duration.isEmpty()) {
        run.span = capped(natural, seconds(task.Duration));
        run.limited = natural.kind == Span::Endless || natural.seconds >= run.span.seconds;
    } else if (!task.StopTime.isEmpty()) {
        const int stop = QTime(0, 0).secsTo(timeToDate(task.StopTime));
        run.stopsAtOnce = stop <= start;
        run.stopAt = std::max(stop, start);
        run.span = capped(natural, double(run.stopAt - start));
        run.limited = natural.kind == Span::Endless || natural.seconds >= run.span.seconds;
    }
    return run;
}

PlannedEnd endOf(const Span &span, int64_t start) {
    static const PlannedEnd::Kind kinds[] = {PlannedEnd::Kind::Exact, PlannedEnd::Kind::Estimated,
                                             PlannedEnd::Kind::AtMost, PlannedEnd::Kind::Unknown,
                                             PlannedEnd::Kind::Endless};
    return {kinds[span.kind], start + int64_t(span.seconds + 0.5)};
}

QString quoted(const QString &title) {
    return QStringLiteral("「") + title + QStringLiteral("」");
}

QString calendarLine(const HolidayCalendar &calendar, const HolidayEntry &entry) {
    return QStringLiteral("：第%1行「%2」")
        .arg(entry.line + 1)
        .arg(calendar.lineText(entry.line).trimmed());
}

// Why a task that is not due on the date does not play.
QString notDueReason(const Task &task, const DueCheck &check, const QDate &date,
                     const HolidayCalendar &calendar) {
    switch (check.verdict) {
    case DueCheck::Verdict::Disabled:
        return QStringLiteral("已禁用");
    case DueCheck::Verdict::BadStartTime:
        return QStringLiteral("开始时间无效（%1）").arg(task.StartTime);
    case DueCheck::Verdict::Holiday:
        return QStringLiteral("节假日(休)") + calendarLine(calendar, *check.day.entry);
    case DueCheck::Verdict::NotPlayDay:
        return QStringLiteral("非播放日(%1)")
            .arg(check.day.entry ? QStringLiteral("调休上班日") : weekdayName(date.dayOfWeek()));
    case DueCheck::Verdict::Due:
        break;
    }
    return {};
}

// What holds a player in the plan.
struct Slot {
    int row = -1;
    int64_t end = kNever; // expected end while it plays on
    int64_t stopAt = kNever;
    bool sure = true;      // the end is known (not only a limit, not unknown)
    int64_t pausedAt = -1; // under an insert since then
};

} // namespace

QVector<DayRow> planDay(const TaskList &tasks, const QDate &date, const HolidayCalendar &calendar,
                        const SongFacts &facts) {
    QVector<DayRow> rows(tasks.size());
    QVector<DueCheck> checks(tasks.size());
    QVector<DueStart> due;
    for (int i = 0; i < tasks.size(); ++i) {
        const Task &task = tasks[i];
        const DueCheck &check = checks[i] = checkDue(task, date, calendar);
        DayRow &row = rows[i];
        row.taskIndex = i;
        row.startSecond = check.startSecond;
        row.title = task.Title;
        if (check.due())
            due.append({check.startSecond, i});
        else
            row.reason = notDueReason(task, check, date, calendar);
    }
    orderDueStarts(due);

    std::optional<Slot> mainSlot;
    std::optional<Slot> insertSlot;
    // What ends by `second`: an insert that ended hands back to the main
    // task, which then plays for as long as it waited (up to its stop time).
    const auto settle = [&](int64_t second) {
        if (insertSlot && insertSlot->end != kNever && insertSlot->end <= second) {
            if (mainSlot && mainSlot->pausedAt >= 0) {
                const int64_t waited = insertSlot->end - mainSlot->pausedAt;
                if (mainSlot->end != kNever) {
                    mainSlot->end = std::min(mainSlot->end + waited, mainSlot->stopAt);
                    rows[mainSlot->row].end.second = mainSlot->end;
                }
                mainSlot->pausedAt = -1;
            }
            insertSlot.reset();
        }
        if (mainSlot &&
            (mainSlot->stopAt <= second || (mainSlot->pausedAt < 0 && mainSlot->end <= second)))
            mainSlot.reset();
    };

    int64_t takenSecond = -1;
    const Task *takenBy = nullptr;
    for (const DueStart &start : due) {
        const Task &task = tasks[start.index];
        DayRow &row = rows[start.index];
        QStringList reasons;
        if (takenBy && start.second == takenSecond) {
            row.reason = QStringLiteral("与%1同一秒开始，不开始").arg(quoted(takenBy->Title));
            continue;
        }
        takenSecond = start.second;
        takenBy = &task;
        if (const PlayDay &day = checks[start.index].day; day.byWorkday)
            reasons << QStringLiteral("调休上班日") + calendarLine(calendar, *day.entry);

        settle(start.second);
        const Files files = filesOf(task, facts);
        if (task.Regions.isEmpty() || !files.anyPlayable || files.songs == 0) {
            // It starts and ends at once: a task without regions takes no
            // player, one of missing files replaces a playing insert.
            reasons.prepend(QStringLiteral("没有可播放的文件"));
            if (task.PowerOff)
                reasons << QStringLiteral("到时关机");
            if (!task.Regions.isEmpty() && insertSlot)
                insertSlot.reset();
            row.reason = reasons.join(QStringLiteral("；"));
            continue;
        }
        row.plays = true;
        if (files.missing > 0)
            reasons << QStringLiteral("%1首中有%2首文件不存在").arg(files.songs).arg(files.missing);

        // Whether something may still play: a limit or an unknown length
        // leaves it open, and the plan goes on as if it had ended.
        // An insert that may have ended leaves the main task's end open too.
        const auto unsure = [&](std::optional<Slot> &slot) {
            if (slot && !slot->sure && slot->pausedAt < 0) {
                reasons << QStringLiteral("若%1仍在播放则插播").arg(quoted(rows[slot->row].title));
                slot.reset();
                return true;
            }
            return false;
        };
        if (unsure(insertSlot) && mainSlot && mainSlot->pausedAt >= 0) {
            mainSlot->pausedAt = -1;
            mainSlot->sure = false;
        }
        unsure(mainSlot);
        const bool asInsert = mainSlot || insertSlot;
        if (insertSlot) {
            const QString replaced = quoted(rows[insertSlot->row].title);
            reasons
                << QStringLiteral("插播：此时%1在播放，%1停止").arg(replaced) +
                       (mainSlot
                            ? QStringLiteral("，%1仍暂停").arg(quoted(rows[mainSlot->row].title))
                            : QString());
        } else if (mainSlot) {
            const QString paused = quoted(rows[mainSlot->row].title);
            reasons << QStringLiteral("插播：此时%1在播放，%1暂停，插播结束后继续").arg(paused);
            mainSlot->pausedAt = start.second;
        }

        const Run run = runOf(task, int(start.second), facts);
        row.end = endOf(run.span, start.second);
        if (run.stopsAtOnce)
            reasons << QStringLiteral("停止时间不晚于开始时间，一开始就停止");
        if (task.PowerOff && run.span.kind != Span::AtMost)
            reasons << (run.limited ? QStringLiteral("到时停止，不关机")
                                    : QStringLiteral("播完后关机"));
        Slot slot;
        slot.row = start.index;
        slot.end = run.span.kind == Span::Endless || run.span.kind == Span::Unknown
                       ? kNever
                       : row.end.second;
        slot.stopAt = run.stopAt;
        slot.sure = run.span.kind != Span::AtMost && run.span.kind != Span::Unknown;
        (asInsert ? insertSlot : mainSlot) = slot;
        row.reason = reasons.join(QStringLiteral("；"));
    }

    settle(kNever); // the last insert hands back too

    std::stable_sort(rows.begin(), rows.end(), [](const DayRow &a, const DayRow &b) {
        // Tasks without a valid start time last, in list order.
        const int64_t sa = a.startSecond < 0 ? kNever : a.startSecond;
        const int64_t sb = b.startSecond < 0 ? kNever : b.startSecond;
        return sa < sb;
    });
    return rows;
}

QString startText(const DayRow &row) {
    return row.startSecond < 0 ? QStringLiteral("--:--:--")
                               : formatClock(QTime(0, 0).addSecs(row.startSecond));
}

QString endText(const PlannedEnd &end) {
    QString clock;
    if (end.kind == PlannedEnd::Kind::Exact || end.kind == PlannedEnd::Kind::Estimated ||
        end.kind == PlannedEnd::Kind::AtMost) {
        const int64_t days = end.second / 86400;
        clock = formatClock(QTime(0, 0).addSecs(int(end.second % 86400)));
        if (days == 1)
            clock.prepend(QStringLiteral("次日"));
        else if (days > 1)
            clock.prepend(QStringLiteral("%1天后").arg(days));
    }
    switch (end.kind) {
    case PlannedEnd::Kind::None:
        return {};
    case PlannedEnd::Kind::Exact:
        return clock;
    case PlannedEnd::Kind::Estimated:
        return QStringLiteral("约") + clock;
    case PlannedEnd::Kind::AtMost:
        return QStringLiteral("最晚") + clock;
    case PlannedEnd::Kind::Unknown:
        return QStringLiteral("长度未知");
    case PlannedEnd::Kind::Endless:
        return QStringLiteral("不自行结束");
    }
    return {};
}

QString previewLine(const DayRow &row) {
    return startText(row) + u'\t' + singleLine(row.title) + u'\t' +
           (row.plays ? QStringLiteral("播放") : QStringLiteral("不播放")) + u'\t' +
           singleLine(row.reason);
}

QStringList songFilesOf(const TaskList &tasks, const QDate &date, const HolidayCalendar &calendar) {
    QStringList files;
    QSet<QString> seen;
    for (const Task &task : tasks) {
        if (!checkDue(task, date, calendar).due())
            continue;
        for (const Region &region : task.Regions)
            for (const Song &song : region.Songs)
                if (!seen.contains(song.SongFile)) {
                    seen.insert(song.SongFile);
                    files << song.SongFile;
                }
    }
    return files;
}

} // namespace kolva
