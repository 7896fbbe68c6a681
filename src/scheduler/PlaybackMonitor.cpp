#include "scheduler/PlaybackMonitor.h"

#include "base/Helpers.h"
#include "model/ClockTime.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayerControl.h"
#include "scheduler/PlaybackDisplay.h"

namespace kolva {

PlaybackMonitor::PlaybackMonitor(PlayerControl &players, PlaybackDisplay &display,
                                 const AppPaths &paths, std::function<void()> displayChanged)
    : m_players(players), m_display(display), m_paths(paths),
      m_displayChanged(std::move(displayChanged)) {}

void PlaybackMonitor::changed() {
    if (m_displayChanged)
        m_displayChanged();
}

QString PlaybackMonitor::playStateText(PlayState playState) {
    switch (playState) {
    case PlayState::Stopped:
        return QStringLiteral("停止");
    case PlayState::Paused:
        return QStringLiteral("暂停");
    case PlayState::Playing:
        return QStringLiteral("播放");
    default:
        return QStringLiteral("--");
    }
}

void PlaybackMonitor::statusChange(int index, PlayState state) {
    if (state != PlayState::MediaEnded && state != PlayState::Stopped)
        return;
    m_display.progressValue = 0;
    changed();
    MediaPlayer *player = m_players.Players[index];
    // An end raised before the player was started again (a new pass, a
    // resume) is stale: the player no longer rests.
    if (const PlayState now = player->playState();
        now == PlayState::Playing || now == PlayState::Paused)
        return;
    const PlaylistPtr playlist = player->currentPlaylist();
    if (!playlist || playlist->count() == 0)
        return;
    // Not the last entry: the player goes on by itself (entry repeats are in
    // the playlist).
    if (!player->currentMedia().isIdentical(playlist->item(playlist->count() - 1)))
        return;
    // Only the end of the running pass of a player that still holds its task
    // moves on: the stop of a task ended by its limit, by the user or by a
    // stop-all, stale events of an earlier pass and repeated end events leave
    // everything as it is.
    m_players.passEndReported(index, *playlist);
}

void PlaybackMonitor::openStateChange(int index, OpenState state) {
    MediaPlayer *player = m_players.Players[index];
    if (state == OpenState::PlaylistChanged) {
        const PlaylistPtr playlist = player->currentPlaylist();
        if (playlist)
            m_players.playlistChanged(index, *playlist); // a queued pass begins
        const Region region = playlist ? m_players.getPlayingRegion(*playlist, index) : Region{};
        const Task &task = m_players.playingTask(index);
        if (const int32_t volume = passVolume(task, region); volume >= 0)
            m_display.volume = volume;
        m_display.taskTitle = task.Title;
        m_display.regionTitle = region.Title;
        changed();
    } else if (state == OpenState::MediaOpen) {
        m_players.noteEntryOpened(index);
        showCurrentMedia(index);
    }
}

void PlaybackMonitor::playerResumed(int index) {
    showCurrentMedia(index);
}

void PlaybackMonitor::showCurrentMedia(int index) {
    const Media media = m_players.Players[index]->currentMedia();
    m_display.progressMin = 0;
    m_display.progressMax = media.duration;
    m_display.totalTime = QStringLiteral(" /") + formatMinutesSeconds(media.duration);
    m_display.songTitle = media.name;
    m_display.songFile = media.sourceURL;
    changed();
}

TransportAction PlaybackMonitor::transport(PlayState mainState, PlayState insertState) {
    if (insertState == PlayState::Playing)
        return TransportAction::Pause;
    if (insertState == PlayState::Paused)
        return TransportAction::Resume;
    if (mainState == PlayState::Playing)
        return TransportAction::Pause;
    if (mainState == PlayState::Paused)
        return TransportAction::Resume;
    return TransportAction::None;
}

void PlaybackMonitor::timerPositionTick() {
    const PlayState mainState = m_players.Players[PlayerControl::MainPlayer]->playState();
    const PlayState insertState = m_players.Players[PlayerControl::InsertPlayer]->playState();

    if (const int sounding = m_players.soundingPlayer(); sounding >= 0) {
        const double position = m_players.Players[sounding]->currentPosition();
        m_display.playTime = formatMinutesSeconds(position);
        m_display.progressValue = minOf(m_display.progressMax, position);
    }

    m_display.engine = QStringLiteral("主播:") + playStateText(mainState) +
                       QStringLiteral("  插播:") + playStateText(insertState);

    const TransportAction action = transport(mainState, insertState);
    m_display.playTransport = action;
    m_display.playPicture =
        action == TransportAction::Pause ? m_paths.pausePicture() : m_paths.playPicture();
    m_display.playEnabled = action != TransportAction::None;
    changed();
}

} // namespace kolva
