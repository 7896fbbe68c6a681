#pragma once
// The options of `kolva`, for a terminal or a remote shell: what each one
// asks for, its help text, and the commands that need no window. An option
// is one row of the table in CommandLine.cpp; main parses the arguments
// before any window system is touched and hands everything but Run to the
// command runner. Qt's own options (one dash, such as -platform) are left
// to Qt.
//
// Thread: the main thread, before or instead of the window.

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "base/AppPaths.h"
#include "model/Task.h"

namespace kolva {

class DaySchedule;
class HolidayCalendar;
class MediaLengths;

struct CommandLine {
    enum class Action {
        Run,     // no option of ours: the program starts
        Help,    // --help
        Preview, // --preview [YYYY-MM-DD]
        History, // --history [YYYY-MM-DD]
        Remote,  // an order for the running copy: `option` and its `value`
        Invalid, // `message` says why; exit code ExitBadArguments
    };
    static constexpr int ExitUnreadable = 1;   // the task list cannot be read
    static constexpr int ExitBadArguments = 2; // an unknown option or a bad date

    Action action = Action::Run;
    QDate date;     // Preview and History: the day asked for (today when none is given)
    QString option; // Remote: the option as written ("--stop"), its value ("on")
    QString value;
    QString message;

    // `arguments` without the program's name; `today` is the date used when
    // an option's date is left out.
    static CommandLine parse(const QStringList &arguments, const QDate &today);
    // Every option, in Chinese, one a line (also those of the remote
    // control, carried out by the running copy).
    static QString helpText();
};

// The task list and calendar the program would use: the data folder's list,
// or, before a first start has copied it there, the installed one. Returns
// false with the program's own message when the list cannot be read; a
// missing list is an empty one. Calendar problems go to `report`.
bool loadPreviewSources(const AppPaths &paths, TaskList &tasks, HolidayCalendar &calendar,
                        QString *error, const std::function<void(const QString &)> &report);

// `kolva --history`: the day's lines of the history, as they stand in it.
QString historyText(const AppPaths &paths, const QDate &date);

// `kolva --preview`: the plan of the day once every file was looked at, one
// previewLine a line. Reads the list and the calendar, never writes.
class PreviewCommand : public QObject {
    Q_OBJECT
public:
    PreviewCommand(const AppPaths &paths, const QDate &date, MediaLengths *lengths,
                   QObject *parent = nullptr);
    ~PreviewCommand() override;

    // Loads what the plan needs; false (with `error`) when the list cannot
    // be read. Otherwise `finished` follows with the text to print.
    bool start(QString *error);

signals:
    void finished(const QString &text);

private:
    AppPaths m_paths;
    QDate m_date;
    MediaLengths *m_lengths;
    TaskList m_tasks;
    std::unique_ptr<HolidayCalendar> m_calendar;
    std::unique_ptr<DaySchedule> m_schedule;
};

} // namespace kolva
