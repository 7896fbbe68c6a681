#pragma once
// The three records the whole program works on, and the small operations that
// create and search them. Lists are held by value: copying a Task (with =)
// copies its regions and songs. Ids are array positions after a load. The
// counters of a task while it plays live beside it, in playback/PlayerSlot.

#include <QString>
#include <QVector>
#include <cstdint>

namespace kolva {

struct Song {
    QString SongFile;
    int32_t Repeat = 0; // -1 endless, 0 and 1 once, n plays
    QString StartTime;  // clip start "HH:MM:SS" or "" = from the beginning
    QString Duration;   // clip length or "" = to the end of the file
    int32_t ParentTaskID = 0;
    int32_t ParentRegionID = 0;
    int32_t SongID = 0;
};

struct Region {
    QString Title;
    int32_t Volume = 0; // 0-100; negative = the task's volume
    int32_t Sort = 0;   // 1 = fresh random order at each pass
    int32_t Repeat = 0; // -1 endless, 0 and 1 one pass, n passes
    QString Duration;   // longest time over all passes, "" = none
    QVector<Song> Songs;
    int32_t ParentTaskID = 0;
    int32_t RegionID = 0;
};

struct Task {
    QString Title;
    int32_t Volume = 0; // 0-100, -1 = leave the player's volume unchanged
    QString StartTime;
    QString StopTime;
    QString Duration;
    int32_t TaskID = 0;
    bool Enabled = false;
    bool PowerOff = false;
    // Play days: bit 0 Monday .. bit 6 Sunday (see model/PlayDays.h).
    uint8_t Days = 0x7F;
    bool Holidays = false; // follows the holiday calendar (休 / 班 days)
    // How late a start missed while the PC was off, asleep or its clock
    // moved may still be made: minutes (0 never, 1 the default) or
    // kCatchUpWindow (while the task's own window lasts; model/DueRule).
    int32_t CatchUp = 1;
    // The output device the task plays on, by the sound server's stable name
    // (e.g. "alsa_output.usb-…"); "" follows the program-wide choice.
    QString Device;
    QVector<Region> Regions;
};

using TaskList = QVector<Task>;

inline constexpr int32_t kCatchUpWindow = -1;
inline constexpr int32_t kDefaultCatchUp = 1;
inline constexpr int32_t kMaxCatchUpMinutes = 1440;

// A blank task: volume 100, enabled, everything else empty or zero.
Task newTask();
// A blank region: volume -1 (use the task's), everything else empty or zero.
Region newRegion();

// The volume a pass of the region plays at: the region's own, else the task's;
// -1 when neither sets one (the player keeps the volume it has).
inline int32_t passVolume(const Task &task, const Region &region) {
    return region.Volume >= 0 ? region.Volume : task.Volume >= 0 ? task.Volume : -1;
}

// Index of the first region with this id, or -1.
int findRegionIndex(const Task &task, int32_t regionId);
// Copy of the first region with this id; an all-zero record (Volume 0, not -1)
// when there is none.
Region getRegionByID(const Task &task, int32_t regionId);

} // namespace kolva
