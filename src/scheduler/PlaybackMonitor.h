#pragma once
// Follows what the two players do once a task has started: the end of a pass
// (statusChange), the open-state events that refresh titles and times, the
// resume of a task, and the periodic display of position, player states and
// the play/pause button. It writes only the display; what a player holds is
// asked of PlayerControl's slots, and changed only through PlayerControl.
//
// Thread: UI thread; player events are delivered one at a time.

#include <QString>
#include <functional>

#include "base/AppPaths.h"
#include "playback/MediaPlayer.h"
#include "scheduler/PlaybackDisplay.h"

namespace kolva {

class PlayerControl;

class PlaybackMonitor {
public:
    PlaybackMonitor(PlayerControl &players, PlaybackDisplay &display, const AppPaths &paths,
                    std::function<void()> displayChanged);

    // statusChange of player `index`: the end of its pass moves the task on.
    void statusChange(int index, PlayState state);
    // openStateChange of player `index` (wmp_OpenStateChange).
    void openStateChange(int index, OpenState state);
    // The task on player `index` goes on after a pause: its song is shown.
    void playerResumed(int index);
    void timerPositionTick();

    // What the play/pause button does, from the two players' states.
    static TransportAction transport(PlayState mainState, PlayState insertState);

    // Stopped "停止", Paused "暂停", Playing "播放", anything else "--".
    static QString playStateText(PlayState playState);

private:
    void changed();
    void showCurrentMedia(int index);

    PlayerControl &m_players;
    PlaybackDisplay &m_display;
    AppPaths m_paths;
    std::function<void()> m_displayChanged;
};

} // namespace kolva
