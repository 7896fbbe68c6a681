#pragma once
// Follows what the two players do once a task has started: the end of a pass
// (StatusChange), the deferred start of a new playlist (TimerPlayerBugPlay),
// the open-state events that refresh titles and times, and the periodic
// display of position, player states and the play/pause button.
//
// Thread: UI thread; player events are delivered one at a time.

#include <QString>
#include <functional>

#include "base/AppPaths.h"

namespace kolva {

class PlayerControl;
class ScheduleClock;
struct PlaybackDisplay;

class PlaybackMonitor {
public:
    PlaybackMonitor(PlayerControl &players, ScheduleClock &schedule, PlaybackDisplay &display,
                    const AppPaths &paths, std::function<void()> displayChanged);

    // StatusChange of player `index`: the end of its pass moves the task on.
    void statusChange(int index);
    // The tick of the one-shot TimerPlayerBugPlay whose tag is `tag`.
    void TimerPlayerBugPlay(int tag);
    void wmp_OpenStateChange(int index, int newState);
    void timerPositionTick();

    // 1 "停止", 2 "暂停", 3 "播放", anything else "--".
    static QString playStateText(int playState);

private:
    void changed();

    PlayerControl &m_players;
    ScheduleClock &m_schedule;
    PlaybackDisplay &m_display;
    AppPaths m_paths;
    std::function<void()> m_displayChanged;
};

} // namespace kolva
