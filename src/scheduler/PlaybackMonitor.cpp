#include "scheduler/PlaybackMonitor.h"

#include "base/Helpers.h"
#include "model/ClockTime.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayerControl.h"
#include "scheduler/PlaybackDisplay.h"
#include "scheduler/ScheduleClock.h"

namespace kolva {

PlaybackMonitor::PlaybackMonitor(PlayerControl &players, ScheduleClock &schedule,
                                 PlaybackDisplay &display, const AppPaths &paths,
                                 std::function<void()> displayChanged)
    : m_players(players), m_schedule(schedule), m_display(display), m_paths(paths),
      m_displayChanged(std::move(displayChanged)) {}

void PlaybackMonitor::changed() {
    if (m_displayChanged)
        m_displayChanged();
}

QString PlaybackMonitor::playStateText(int playState) {
    switch (playState) {
    case PlayStateStopped:
        return QStringLiteral("停止");
    case PlayStatePaused:
        return QStringLiteral("暂停");
    case PlayStatePlaying:
        return QStringLiteral("播放");
    default:
        return QStringLiteral("--");
    }
}

void PlaybackMonitor::statusChange(int index) {
    MediaPlayer *player = m_players.Players[index];
    const int state = player->playState();
    if (state != PlayStateMediaEnded && state != PlayStateStopped)
        return;
    m_display.progressValue = 0;
    changed();
    const PlaylistPtr playlist = player->currentPlaylist();
    if (!playlist || playlist->count() == 0)
        return;
    // Not the last entry: the player goes on by itself (entry repeats are in
    // the playlist).
    if (!player->currentMedia().isIdentical(playlist->item(playlist->count() - 1)))
        return;
    if (m_schedule.stoppingAll) {
        m_schedule.stoppingAll = false;
        return;
    }
    // Only the end of the running pass of a player that still holds its task
    // moves on: the stop of a task ended by its limit, stale events of an
    // earlier pass and repeated end events leave everything as it is.
    if (!m_players.takePassEnd(index, *playlist))
        return;
    m_players.onPlaylistEnded(index, *playlist);
}

void PlaybackMonitor::TimerPlayerBugPlay(int tag) {
    m_players.startPlayer(tag);
}

void PlaybackMonitor::wmp_OpenStateChange(int index, int newState) {
    MediaPlayer *player = m_players.Players[index];
    if (newState == OpenStatePlaylistChanged) {
        const PlaylistPtr playlist = player->currentPlaylist();
        const Region region = playlist ? m_players.getPlayingRegion(*playlist, index) : Region{};
        const Task &task = m_players.PlayingTasks[index];
        if (const int32_t volume = passVolume(task, region); volume >= 0)
            m_display.volume = volume;
        m_display.taskTitle = task.Title;
        m_display.regionTitle = region.Title;
        changed();
    } else if (newState == OpenStateMediaOpen || newState == OpenStateResumed) {
        if (newState == OpenStateMediaOpen)
            m_players.noteEntryOpened(index);
        const Media media = player->currentMedia();
        m_display.progressMin = 0;
        m_display.progressMax = media.duration;
        m_display.totalTime = QStringLiteral(" /") + formatMinutesSeconds(media.duration);
        m_display.songTitle = media.name;
        m_display.songFile = media.sourceURL;
        changed();
    }
}

void PlaybackMonitor::timerPositionTick() {
    MediaPlayer *mainPlayer = m_players.Players[PlayerControl::MainPlayer];
    MediaPlayer *insertPlayer = m_players.Players[PlayerControl::InsertPlayer];
    const int mainState = mainPlayer->playState();
    const int insertState = insertPlayer->playState();

    if (const int sounding = m_players.soundingPlayer(); sounding >= 0) {
        const double position = m_players.Players[sounding]->currentPosition();
        m_display.playTime = formatMinutesSeconds(position);
        m_display.progressValue = minOf(m_display.progressMax, position);
    }

    m_display.engine = QStringLiteral("主播:") + playStateText(mainState) +
                       QStringLiteral("  插播:") + playStateText(insertState);

    if (insertState == PlayStatePlaying ||
        (insertState != PlayStatePaused && mainState == PlayStatePlaying)) {
        m_display.playPicture = m_paths.pausePicture();
        m_display.playTag = QStringLiteral("1");
        m_display.playEnabled = true;
    } else if (insertState == PlayStatePaused || mainState == PlayStatePaused) {
        m_display.playPicture = m_paths.playPicture();
        m_display.playTag = QStringLiteral("2");
        m_display.playEnabled = true;
    } else {
        m_display.playPicture = m_paths.playPicture();
        m_display.playTag = QStringLiteral("0");
        m_display.playEnabled = false;
    }
    changed();
}

} // namespace kolva
