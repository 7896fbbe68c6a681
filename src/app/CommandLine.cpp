#include "app/CommandLine.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "app/DaySchedule.h"
#include "base/PlayHistory.h"
#include "model/HolidayCalendar.h"
#include "model/TaskFile.h"

namespace kolva {

namespace {

// What follows an option.
enum class Takes {
    Nothing,
    OptionalDate, // [YYYY-MM-DD], today when left out
    Text,         // one word that must be there
    OnOff,        // on | off
};

struct Option {
    const char *name;
    Takes takes;
    const char16_t *argument; // as the help writes it
    const char16_t *help;
    CommandLine::Action action;
};

const Option kOptions[] = {
    {"--preview", Takes::OptionalDate, u"[YYYY-MM-DD]",
     u"列出某天（默认今天）的任务：时间、任务、播放或不播放、说明，以制表符分隔",
     CommandLine::Action::Preview},
    {"--history", Takes::OptionalDate, u"[YYYY-MM-DD]", u"列出某天（默认今天）的播放记录",
     CommandLine::Action::History},
    {"--play-task", Takes::Text, u"名称", u"让正在运行的播放器立即播放这个任务",
     CommandLine::Action::Remote},
    {"--stop", Takes::Nothing, u"", u"让正在运行的播放器停止播放", CommandLine::Action::Remote},
    {"--pause", Takes::Nothing, u"", u"暂停正在运行的播放器", CommandLine::Action::Remote},
    {"--resume", Takes::Nothing, u"", u"继续暂停的播放", CommandLine::Action::Remote},
    {"--reload", Takes::Nothing, u"", u"让正在运行的播放器重新读取任务列表",
     CommandLine::Action::Remote},
    {"--schedule", Takes::OnOff, u"on|off", u"打开或关闭正在运行的播放器的定时",
     CommandLine::Action::Remote},
    {"--status", Takes::Nothing, u"", u"显示正在运行的播放器的状态", CommandLine::Action::Remote},
    {"--help", Takes::Nothing, u"", u"显示本帮助", CommandLine::Action::Help},
};

CommandLine invalid(const QString &message) {
    CommandLine command;
    command.action = CommandLine::Action::Invalid;
    command.message = message;
    return command;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments, const QDate &today) {
    CommandLine command;
    for (int i = 0; i < arguments.size(); ++i) {
        QString word = arguments[i];
        // Qt's own options have one dash; their values are Qt's too.
        if (!word.startsWith(QLatin1String("--")) && word != QLatin1String("-h"))
            continue;
        QString value;
        bool hasValue = false;
        if (const qsizetype equals = word.indexOf(u'='); equals > 0) {
            value = word.mid(equals + 1);
            word.truncate(equals);
            hasValue = true;
        }
        if (word == QLatin1String("-h"))
            word = QStringLiteral("--help");
        const Option *option = nullptr;
        for (const Option &o : kOptions) {
            if (word == QLatin1String(o.name))
                option = &o;
        }
        if (!option)
            return invalid(QStringLiteral("未知的选项：%1（kolva --help 列出所有选项）").arg(word));
        if (command.action != Action::Run)
            return invalid(
                QStringLiteral("一次只能给出一个选项：%1 和 %2").arg(command.option, word));
        // A value may also be the next word, unless that is an option.
        const bool nextIsValue = i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-');
        if (!hasValue && option->takes != Takes::Nothing && nextIsValue) {
            value = arguments[++i];
            hasValue = true;
        }
        command.action = option->action;
        command.option = word;
        switch (option->takes) {
        case Takes::Nothing:
            if (hasValue)
                return invalid(QStringLiteral("选项 %1 不带参数").arg(word));
            break;
        case Takes::OptionalDate:
            command.date = hasValue ? readDateText(value) : today;
            if (!command.date.isValid())
                return invalid(QStringLiteral("日期格式有误：%1（应为 YYYY-MM-DD）").arg(value));
            break;
        case Takes::Text:
            if (value.isEmpty())
                return invalid(QStringLiteral("选项 %1 需要参数：%2")
                                   .arg(word, QString::fromUtf16(option->argument)));
            break;
        case Takes::OnOff:
            if (value != QLatin1String("on") && value != QLatin1String("off"))
                return invalid(QStringLiteral("选项 %1 的参数应为 on 或 off").arg(word));
            break;
        }
        command.value = value;
    }
    return command;
}

QString CommandLine::helpText() {
    QString text = QStringLiteral("用法：kolva [选项]\n"
                                  "不带选项时启动 KOLVA定时播放器（已在运行时只提示一次）。\n\n"
                                  "选项：\n");
    for (const Option &o : kOptions) {
        QString left = QStringLiteral("  ") + QLatin1String(o.name);
        if (*o.argument)
            left += u' ' + QString::fromUtf16(o.argument);
        // Two columns: the options padded to one width on a terminal, where
        // a Chinese character takes two cells.
        int cells = 0;
        for (QChar c : left)
            cells += c.unicode() >= 0x2E80 ? 2 : 1;
        text += left + QString(std::max(2, 26 - cells), u' ') + QString::fromUtf16(o.help) + u'\n';
    }
    text += QStringLiteral("\n--preview 与 --history 只读取任务列表、节假日文件和播放记录，"
                           "不打开窗口，不影响正在运行的播放器。\n"
                           "退出码：0 成功，1 任务列表无法读取，2 选项或日期有误。\n");
    return text;
}

bool loadPreviewSources(const AppPaths &paths, TaskList &tasks, HolidayCalendar &calendar,
                        QString *error, const std::function<void(const QString &)> &report) {
    // Before a first start copied the installed list into the data folder,
    // the program would start from the installed one.
    QString taskFile = paths.taskFile();
    if (paths.usesDataFolder() && !QFileInfo::exists(taskFile))
        taskFile = paths.shippedTaskFile();
    tasks.clear();
    QString why;
    if (!loadTasks(taskFile, tasks, &why) && !why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    HolidayCalendarFile file(paths.holidayFile(), report);
    file.refresh();
    calendar = file.calendar();
    return true;
}

QString historyText(const AppPaths &paths, const QDate &date) {
    QString text;
    for (const QString &line : PlayHistory::readDay(paths.historyFile(), date))
        text += line + u'\n';
    return text;
}

PreviewCommand::PreviewCommand(const AppPaths &paths, const QDate &date, MediaLengths *lengths,
                               QObject *parent)
    : QObject(parent), m_paths(paths), m_date(date), m_lengths(lengths),
      m_calendar(std::make_unique<HolidayCalendar>()) {}

PreviewCommand::~PreviewCommand() = default;

bool PreviewCommand::start(QString *error) {
    const auto report = [](const QString &message) {
        fprintf(stderr, "%s\n", message.toUtf8().constData());
    };
    if (!loadPreviewSources(m_paths, m_tasks, *m_calendar, error, report))
        return false;
    DaySchedule::Sources sources{[this]() -> const TaskList & { return m_tasks; },
                                 [this]() -> const HolidayCalendar & { return *m_calendar; },
                                 [this] { return m_date; }, QString()};
    m_schedule = std::make_unique<DaySchedule>(sources, m_lengths);
    connect(m_schedule.get(), &DaySchedule::filesKnown, this, [this] {
        // Said once: the first plan that holds every answer.
        disconnect(m_schedule.get(), &DaySchedule::filesKnown, this, nullptr);
        QString text;
        for (const DayRow &row : m_schedule->rows())
            text += previewLine(row) + u'\n';
        emit finished(text);
    });
    return true;
}

} // namespace kolva
