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
    return task.Regions[i];
}

} // namespace kolva
