#pragma once
// What plays on one day, and why: every task of the list in start-time order
// with its expected end, whether it plays and the reason in Chinese. The
// decisions come from the due rule the schedule uses (model/DueRule) and from
// the way the two players share out the day: one start per second, a task
// due while another plays runs as an insert and pauses it, a new insert
// replaces the one playing. The day view and `kolva --preview` show it.
//
// Nothing here reads a file: what is known of the song files (missing, their
// lengths) is handed in, so the plan is built on any thread and in tests.

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <optional>

#include "model/Task.h"

namespace kolva {

class HolidayCalendar;

// What is known of one song file.
struct SongFact {
    QString problem;               // "" readable, else why not (mediaFileProblem)
    std::optional<double> seconds; // its length once known (0: no playable sound)
};
// By path; a file that is not in it is taken as readable, of unknown length.
using SongFacts = QHash<QString, SongFact>;

struct PlannedEnd {
    enum class Kind {
        None,      // the task does not play
        Exact,     // from Duration, StopTime or the clips' own lengths
        Estimated, // from the songs' lengths times passes and repeats
        AtMost,    // a limit, while some songs' lengths are unknown
        Unknown,   // some songs' lengths unknown, no limit
        Endless,   // plays until stopped
    };
    Kind kind = Kind::None;
    int64_t second = 0; // counted from the day's midnight; 86400 and more: the next day
};

struct DayRow {
    int taskIndex = 0;    // place in the list
    int startSecond = -1; // -1: the start time is not a clock time
    QString title;
    PlannedEnd end;
    bool plays = false;
    QString reason; // "" when there is nothing to say
};

// The plan of `date` for the list, with the calendar its tasks follow.
QVector<DayRow> planDay(const TaskList &tasks, const QDate &date, const HolidayCalendar &calendar,
                        const SongFacts &facts = {});

// "HH:MM:SS" of the start, "--:--:--" when it is not a clock time.
QString startText(const DayRow &row);
// "HH:MM:SS", "约HH:MM:SS" (estimated), "最晚HH:MM:SS", "次日…" past
// midnight, "长度未知", "不自行结束"; "" when the task does not play.
QString endText(const PlannedEnd &end);
// One line of `kolva --preview`: "HH:MM:SS<TAB>title<TAB>播放|不播放<TAB>说明".
QString previewLine(const DayRow &row);
// Every song file of the tasks due on the date, once each, in list order:
// the files whose facts the plan of that day can use.
QStringList songFilesOf(const TaskList &tasks, const QDate &date, const HolidayCalendar &calendar);

} // namespace kolva
