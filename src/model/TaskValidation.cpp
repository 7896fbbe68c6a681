#include "model/TaskValidation.h"

#include "model/RegionExchange.h"

#include "model/ClockTime.h"
#include "model/NumberText.h"

namespace kolva {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString withoutBlanks(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            out += c;
    }
    return out;
}

void append(QString &errors, const QString &message) {
    errors += kCrLf;
    errors += message;
}

// Checks one time box; a valid text is normalised in place.
bool checkTime(QString &box) {
    QString normalised;
    if (!parseTime(box, nullptr, &normalised))
        return false;
    box = normalised;
    return true;
}

QString regionMessage(int number, const char16_t *what) {
    return QStringLiteral("第") + QString::number(number) + QStringLiteral("个区间：") +
           QString::fromUtf16(what);
}

} // namespace

double volumeBoxValue(const QString &text) {
    return leadingNumber(withoutBlanks(text));
}

int32_t volumeBoxNumber(const QString &text) {
    return readNumber(withoutBlanks(text));
}

bool volumeBoxInRange(const QString &text) {
    return volumeBoxValue(text) >= 0 && volumeBoxNumber(text) <= 100;
}

QString validateTask(TaskForm &form) {
    QString errors;
    if (form.title.isEmpty())
        errors = QStringLiteral("任务标题不可以为空;");
    if (form.ownVolume && !volumeBoxInRange(form.volume))
        append(errors, QStringLiteral("任务音量输入错误，取值范围为[0,100];"));
    if (form.startTime.isEmpty())
        append(errors, QStringLiteral("任务开始时间不可以为空;"));
    if (!checkTime(form.startTime))
        append(errors, QStringLiteral("任务开始时间格式有误，请参照示例;"));
    if ((form.days & kEveryDay) == 0)
        append(errors, QStringLiteral("任务至少要选择一个播放日;"));
    // The box of the mode that is not chosen is not looked at.
    if (!form.stopTimeMode && !form.duration.isEmpty() && !checkTime(form.duration))
        append(errors, QStringLiteral("任务时长格式有误。格式参照开始时间;"));
    if (form.stopTimeMode && !form.stopTime.isEmpty() && !checkTime(form.stopTime))
        append(errors, QStringLiteral("停止时间格式有误。格式参照开始时间;"));
    if (form.catchUp == TaskForm::CatchUp::Minutes && catchUpBoxMinutes(form.catchUpMinutes) < 0)
        append(errors, QStringLiteral("补播时间应为0到1440分钟;"));
    for (const TaskForm::RegionEntry &entry : form.regions) {
        const Region &r = entry.region;
        if (r.Title.isEmpty())
            append(errors, regionMessage(entry.number, u"标题不能为空;"));
        if ((r.Volume != -1 && r.Volume < 0) || r.Volume > 100)
            append(errors, regionMessage(entry.number, u"音量输入错误，取值范围为[0,100];"));
        // A valid region duration is stored as the region editor holds it.
        if (!r.Duration.isEmpty() && !parseTime(r.Duration))
            append(errors, regionMessage(entry.number, u"时长格式有误，请参照示例;"));
    }
    return errors;
}

int32_t catchUpBoxMinutes(const QString &text) {
    const QString box = text.trimmed();
    bool digits = !box.isEmpty() && box.size() <= 4;
    for (QChar c : box)
        digits = digits && c >= u'0' && c <= u'9';
    const int32_t minutes = digits ? readNumber(box) : -1;
    return minutes <= kMaxCatchUpMinutes ? minutes : -1;
}

void applyTaskForm(const TaskForm &form, Task &task) {
    task.Title = form.title;
    task.Volume = form.ownVolume ? volumeBoxNumber(form.volume) : -1;
    task.StartTime = form.startTime;
    task.Duration = form.stopTimeMode ? QString() : form.duration;
    task.StopTime = form.stopTimeMode ? form.stopTime : QString();
    task.Days = form.days & kEveryDay;
    task.Holidays = form.holidays;
    task.Device = form.device;
    task.PowerOff = form.powerOff;
    task.Enabled = form.enabled;
    switch (form.catchUp) {
    case TaskForm::CatchUp::OneMinute:
        task.CatchUp = kDefaultCatchUp;
        break;
    case TaskForm::CatchUp::Minutes:
        task.CatchUp = catchUpBoxMinutes(form.catchUpMinutes);
        break;
    case TaskForm::CatchUp::Window:
        task.CatchUp = kCatchUpWindow;
        break;
    case TaskForm::CatchUp::Never:
        task.CatchUp = 0;
        break;
    }
    task.Regions.clear();
    task.Regions.reserve(form.regions.size());
    for (const TaskForm::RegionEntry &entry : form.regions)
        task.Regions.append(editedFields(entry.region));
}

TaskForm taskFormOf(const Task &task) {
    TaskForm form;
    form.title = task.Title;
    form.ownVolume = task.Volume != -1;
    form.volume = QString::number(task.Volume);
    form.startTime = task.StartTime;
    form.duration = task.Duration;
    form.stopTime = task.StopTime;
    form.stopTimeMode = !task.StopTime.isEmpty();
    form.days = task.Days & kEveryDay;
    form.holidays = task.Holidays;
    form.device = task.Device;
    form.enabled = task.Enabled;
    form.powerOff = task.PowerOff;
    form.catchUp = task.CatchUp == kDefaultCatchUp  ? TaskForm::CatchUp::OneMinute
                   : task.CatchUp == kCatchUpWindow ? TaskForm::CatchUp::Window
                   : task.CatchUp == 0              ? TaskForm::CatchUp::Never
                                                    : TaskForm::CatchUp::Minutes;
    // The box keeps its own minutes, or offers half an hour.
    form.catchUpMinutes = form.catchUp == TaskForm::CatchUp::Minutes ? QString::number(task.CatchUp)
                                                                     : QStringLiteral("30");
    for (int j = 0; j < task.Regions.size(); ++j)
        form.regions.append({j + 1, task.Regions[j]});
    return form;
}

} // namespace kolva
