#pragma once
// The task editor's form as texts, its check and its write-back into a Task
// record, without any widget: the editor window copies its boxes into a
// TaskForm, calls validateTask and, when the text stays empty, applyTaskForm.
// Messages are the editor's own and stay exactly as the user has always seen
// them; they are joined by CR LF and each ends with ";".

#include <QString>
#include <QVector>

#include "model/PlayDays.h"
#include "model/Task.h"

namespace kolva {

struct TaskForm {
    // One region editor: the number it shows and what it holds.
    struct RegionEntry {
        int number = 0;
        Region region;
    };

    QString title;
    bool ownVolume = false; // "2 - 自定义音量(0-100)" chosen
    QString volume;         // the volume box ("-1" in default mode)
    QString startTime;
    bool stopTimeMode = false; // "停止时间" chosen instead of "时长"
    QString duration;
    QString stopTime;
    uint8_t days = kEveryDay; // the seven day boxes, bit 0 Monday
    bool holidays = false;    // "节假日不播放(按调休安排)"
    QString device;           // "输出设备:" ("" = 默认)
    bool enabled = true;
    bool powerOff = false;
    // "错过后:": 1分钟内补播 (the default), N分钟内补播 with its box,
    // 时段内补播, 不补播.
    enum class CatchUp { OneMinute, Minutes, Window, Never };
    CatchUp catchUp = CatchUp::OneMinute;
    QString catchUpMinutes;       // the box of N分钟内补播
    QVector<RegionEntry> regions; // in display order, top to bottom
};

// The numeric value of a volume box: blanks, tabs and line feeds are removed
// from the whole text ("1 0" is 10), then the leading number is taken; a text
// without one is 0.
double volumeBoxValue(const QString &text);
// The stored volume of a box: volumeBoxValue rounded half to even.
int32_t volumeBoxNumber(const QString &text);
// A box is accepted when its value is not below 0 and its stored number is not
// above 100 (100.4 is kept as 100, 100.6 and -0.4 are refused).
bool volumeBoxInRange(const QString &text);

// The minutes of the N分钟内补播 box: digits only, 0 to kMaxCatchUpMinutes;
// -1 for anything else.
int32_t catchUpBoxMinutes(const QString &text);

// Checks every value of the form in the order the messages are listed and
// returns the error text, "" when the form is valid. Valid times of the boxes
// it checks are replaced by their "HH:MM:SS" form (also when other values
// are wrong), so the window can show them normalised.
QString validateTask(TaskForm &form);

// Copies a checked form into the record: title, volume, start time, duration
// or stop time (the other one ""), play days and holidays, power-off, enabled,
// the catch-up and fresh regions and songs (ids and run-time fields zero). TaskID stays.
void applyTaskForm(const TaskForm &form, Task &task);

// The form that shows a record: own volume unless the volume is -1, stop-time
// mode when the stop time is set, region editors numbered 1, 2, ...
TaskForm taskFormOf(const Task &task);

} // namespace kolva
