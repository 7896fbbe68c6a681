#include "model/Task.h"

namespace kolva {

Task newTask() {
    Task t;
    t.Volume = 100;
    t.Enabled = true;
    return t;
}

Region newRegion() {
    Region r;
    r.Volume = -1;
    return r;
}

void copySong(const Song &source, Song &target) {
    target = source;
}

void copyRegion(const Region &source, Region &target) {
    target.Title = source.Title;
    target.Volume = source.Volume;
    target.Sort = source.Sort;
    target.Repeat = source.Repeat;
    target.Duration = source.Duration;
    target.ParentTaskID = source.ParentTaskID;
    target.RegionID = source.RegionID;
    target.Songs.resize(source.Songs.size());
    for (qsizetype i = 0; i < source.Songs.size(); ++i)
        copySong(source.Songs[i], target.Songs[i]);
    target.PassStartTick = 0;
    target.EarlierPassesMs = 0;
    target.PassCount = 0;
}

void copyTask(const Task &source, Task &target) {
    target.Title = source.Title;
    target.Volume = source.Volume;
    target.StartTime = source.StartTime;
    target.StopTime = source.StopTime;
    target.Duration = source.Duration;
    target.TaskID = source.TaskID;
    target.Enabled = source.Enabled;
    target.PowerOff = source.PowerOff;
    target.Days = source.Days;
    target.Holidays = source.Holidays;
    target.CatchUp = source.CatchUp;
    target.Regions.clear();
    target.Regions.resize(source.Regions.size());
    for (qsizetype i = 0; i < source.Regions.size(); ++i)
        copyRegion(source.Regions[i], target.Regions[i]);
    target.CurrentRegion = 0;
    target.StartTick = 0;
    target.PlayedMs = 0;
}

int findRegionIndex(const Task &task, int32_t regionId) {
    for (qsizetype i = 0; i < task.Regions.size(); ++i) {
        if (task.Regions[i].RegionID == regionId)
            return int(i);
    }
    return -1;
}

Region getRegionByID(const Task &task, int32_t regionId) {
    const int i = findRegionIndex(task, regionId);
    if (i < 0)
        return Region{};
    Region copy;
    copyRegion(task.Regions[i], copy);
    return copy;
}

} // namespace kolva
