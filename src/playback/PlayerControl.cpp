#include "playback/PlayerControl.h"

#include <QTime>

#include "base/AtomicFile.h"
#include "base/Clock.h"
#include "base/PlayHistory.h"
#include "model/ClockTime.h"
#include "model/NumberText.h"
#include "playback/PowerOff.h"

namespace kolva {

PlayerControl::PlayerControl(Clock &clock, PowerOff &powerOff, const AppPaths &paths,
                             MediaPlayer *mainPlayer, MediaPlayer *insertPlayer)
    : Players{mainPlayer, insertPlayer}, m_clock(clock), m_powerOff(powerOff), m_paths(paths),
      m_writePlaylist([](const QString &path, const QByteArray &bytes, QString *reason) {
          return writeFileAtomically(path, bytes, reason);
      }),
      m_random(std::random_device{}()) {}

// --- Transport -------------------------------------------------------------

void PlayerControl::initPlayers(MediaPlayer *mainPlayer, MediaPlayer *insertPlayer) {
    Players = {mainPlayer, insertPlayer};
    PlayerBusy = {0, 0};
    Players[MainPlayer]->Tag = QStringLiteral("0");
    Players[InsertPlayer]->Tag = QStringLiteral("1");
}

void PlayerControl::pausePlayer(int index) {
    Players[index]->pause();
    Task &task = PlayingTasks[index];
    // Only a running task adds to its play time: pausing a task that is
    // already paused (by the user, then again for an insert) adds nothing.
    if (task.StartTick > 0)
        task.PlayedMs += m_clock.tickMs() - task.StartTick;
    task.StartTick = 0;
}

void PlayerControl::resumePlayer(int index) {
    Players[index]->play();
    Task &task = PlayingTasks[index];
    if (task.StartTick == 0)
        task.StartTick = m_clock.tickMs();
    m_pass[index].started = true;
    if (m_hooks.openStateChanged)
        m_hooks.openStateChanged(index, OpenStateResumed);
}

void PlayerControl::stopPlayer(int index) {
    Players[index]->stop();
    PlayerBusy[index] = 0;
    PlayingTasks[index].PlayedMs = 0;
    PlayingTasks[index].StartTick = 0;
}

void PlayerControl::clearPlayingTask(int index) {
    Task &task = PlayingTasks[index];
    task.PlayedMs = 0;
    task.StartTick = 0;
    task.CurrentRegion = 0;
    task.Regions.clear();
}

int PlayerControl::activePlayer() const {
    if (PlayerBusy[InsertPlayer] == 1)
        return InsertPlayer;
    if (PlayerBusy[MainPlayer] == 1)
        return MainPlayer;
    return -1;
}

int PlayerControl::soundingPlayer() const {
    if (Players[InsertPlayer]->playState() == PlayStatePlaying)
        return InsertPlayer;
    if (Players[MainPlayer]->playState() == PlayStatePlaying)
        return MainPlayer;
    return -1;
}

void PlayerControl::pauseActive() {
    const int active = activePlayer();
    if (active >= 0)
        pausePlayer(active);
}

void PlayerControl::resumeActive() {
    const int active = activePlayer();
    if (active >= 0)
        resumePlayer(active);
}

void PlayerControl::stopAll() {
    for (int index : {MainPlayer, InsertPlayer}) {
        if (PlayerBusy[index] == 1)
            stopPlayer(index);
    }
}

bool PlayerControl::isTaskPlaying(int32_t taskId) const {
    const int active = activePlayer();
    return active >= 0 && PlayingTasks[active].TaskID == taskId;
}

void PlayerControl::startPlayer(int index) {
    if (index != MainPlayer && index != InsertPlayer)
        return;
    // A stop (limit, stop-all) between the hand-over and this tick must not
    // bring the sound back; the main task under an insert waits for resume.
    if (PlayerBusy[index] != 1)
        return;
    if (index == MainPlayer && PlayerBusy[InsertPlayer] == 1)
        return;
    m_pass[index].started = true;
    Players[index]->play();
}

// --- Entry tracking ----------------------------------------------------------

Region PlayerControl::getPlayingRegion(const Playlist &playlist, int preferIndex) const {
    const int32_t taskId = readNumber(playlist.getItemInfo(QStringLiteral("ParentTaskID")));
    const int32_t regionId = readNumber(playlist.getItemInfo(QStringLiteral("RegionID")));
    if (preferIndex >= 0 && preferIndex < 2 && PlayingTasks[preferIndex].TaskID == taskId)
        return getRegionByID(PlayingTasks[preferIndex], regionId);
    for (const Task &task : PlayingTasks) {
        if (task.TaskID == taskId)
            return getRegionByID(task, regionId);
    }
    return Region{};
}

bool PlayerControl::takePassEnd(int index, const Playlist &playlist) {
    if (index != MainPlayer && index != InsertPlayer)
        return false;
    Pass &pass = m_pass[index];
    if (PlayerBusy[index] != 1 || !pass.playlist || pass.playlist->id != playlist.id ||
        !pass.started || pass.ended)
        return false;
    pass.ended = true;
    return true;
}

void PlayerControl::noteEntryOpened(int index) {
    if (index == MainPlayer || index == InsertPlayer)
        m_pass[index].opened = true;
}

void PlayerControl::onPlaylistEnded(int index, const Playlist &playlist) {
    // The name is "KOLVA" TaskID "-" RegionID; the region id is the last piece
    // (the ad-hoc song task has TaskID -1, which adds a "-" of its own).
    const int32_t regionId = readNumber(playlist.name.section(QLatin1Char('-'), -1));
    const Pass &pass = m_pass[index];
    if (pass.playlist && pass.playlist->id == playlist.id && !pass.opened) {
        const int pos = findRegionIndex(PlayingTasks[index], regionId);
        if (pos >= 0) {
            regionFinished(index, pos);
            return;
        }
    }
    nextRegion(index, regionId);
}

// --- Tasks and regions -----------------------------------------------------------

void PlayerControl::note(const QString &event, const QString &title, const QString &detail) {
    if (m_history)
        m_history->append(event, title, detail);
}

void PlayerControl::playTask(const Task &task, int lateMs) {
    const bool asInsert = activePlayer() >= 0;
    QString detail = asInsert ? QStringLiteral("插播") : QStringLiteral("主播");
    detail += lateMs >= 0 ? QStringLiteral(" 晚%1毫秒").arg(lateMs) : QStringLiteral(" 手动");
    note(PlayHistory::Started, task.Title, detail);
    if (task.Regions.isEmpty()) {
        note(PlayHistory::PlayedOut, task.Title, QStringLiteral("没有区间"));
        finishTask(task);
        return;
    }
    m_playlistWriteReported[asInsert ? InsertPlayer : MainPlayer] = false;
    const int64_t now = m_clock.tickMs();
    // Something holds a player: the new task is an insert. The insert player
    // can hold a task while the main one is idle when the main task reached
    // its stop time under the insert; a new task then replaces the insert
    // instead of sounding beside it.
    if (asInsert) {
        const bool insertWasIdle = PlayerBusy[InsertPlayer] == 0;
        clearPlayingTask(InsertPlayer);
        copyTask(task, PlayingTasks[InsertPlayer]);
        if (insertWasIdle)
            pausePlayer(MainPlayer);
        PlayingTasks[InsertPlayer].PlayedMs = 0;
        PlayingTasks[InsertPlayer].StartTick = now;
        playRegionAt(InsertPlayer, 0);
    } else {
        clearPlayingTask(MainPlayer);
        copyTask(task, PlayingTasks[MainPlayer]);
        PlayingTasks[MainPlayer].PlayedMs = 0;
        PlayingTasks[MainPlayer].StartTick = now;
        playRegionAt(MainPlayer, 0);
    }
}

void PlayerControl::nextRegion(int index, int32_t regionId) {
    Task &task = PlayingTasks[index];
    const int pos = findRegionIndex(task, regionId);
    if (pos < 0)
        throw PlaybackError(QStringLiteral("没找到Region: RegionID=") + QString::number(regionId));
    const Region &region = task.Regions[pos];
    const int32_t passes = region.Repeat == -1 ? EndlessPasses : region.Repeat;
    if (region.PassCount < passes) {
        playRegionAt(index, pos);
        return;
    }
    regionFinished(index, pos);
}

void PlayerControl::regionFinished(int index, int pos) {
    Task &task = PlayingTasks[index];
    if (pos >= 0 && pos < task.Regions.size() - 1) {
        playRegionAt(index, pos + 1);
        return;
    }
    // The task is over. After a natural end the player already rests; a region
    // cut by its Duration, or an insert replaced by a task that plays nothing,
    // still sounds and must fall silent before the main task comes back.
    Players[index]->stop();
    PlayerBusy[index] = 0;
    m_pass[index].ended = true;
    note(PlayHistory::PlayedOut, task.Title);
    if (index == InsertPlayer && PlayerBusy[MainPlayer] == 1)
        resumePlayer(MainPlayer);
    finishTask(task);
}

void PlayerControl::endTaskEarly(int index) {
    stopPlayer(index);
    m_pass[index].ended = true;
    // A main task stopped while it waited under the insert stays stopped.
    if (index == InsertPlayer && PlayerBusy[MainPlayer] == 1)
        resumePlayer(MainPlayer);
}

void PlayerControl::finishTask(const Task &task) {
    if (!task.PowerOff)
        return;
    note(PlayHistory::PowerOff, task.Title);
    m_powerOff.shutDown();
}

// --- Limits --------------------------------------------------------------------

int64_t PlayerControl::taskPlayedMs(int index, int64_t now) const {
    const Task &task = PlayingTasks[index];
    return task.PlayedMs + (task.StartTick > 0 ? now - task.StartTick : 0);
}

int64_t PlayerControl::regionElapsedMs(const Region &region, int64_t now) {
    return (now - region.PassStartTick) + region.EarlierPassesMs;
}

void PlayerControl::checkPlayback() {
    const int64_t now = m_clock.tickMs();
    checkTaskEnd(InsertPlayer, now);
    checkTaskEnd(MainPlayer, now);
    checkRegionDuration(now);
}

void PlayerControl::checkTaskEnd(int index, int64_t now) {
    if (PlayerBusy[index] != 1)
        return;
    const Task &task = PlayingTasks[index];
    bool ended = false;
    QString why;
    if (!task.Duration.isEmpty()) {
        ended = timeToMs(task.Duration) < taskPlayedMs(index, now);
        why = QStringLiteral("播放时长 ") + task.Duration;
    } else if (!task.StopTime.isEmpty()) {
        const QTime t = m_clock.timeOfDay();
        ended = QTime(t.hour(), t.minute(), t.second()) >= timeToDate(task.StopTime);
        why = QStringLiteral("停止时间 ") + task.StopTime;
    }
    if (ended) {
        note(PlayHistory::LimitReached, task.Title, why);
        endTaskEarly(index);
    }
}

void PlayerControl::checkRegionDuration(int64_t now) {
    const int active = activePlayer();
    if (active < 0)
        return;
    const Task &task = PlayingTasks[active];
    const int pos = task.CurrentRegion;
    if (pos < 0 || pos >= task.Regions.size())
        return;
    const Region &region = task.Regions[pos];
    if (region.Duration.isEmpty())
        return;
    if (timeToMs(region.Duration) < regionElapsedMs(region, now)) {
        note(PlayHistory::RegionCut, task.Title, region.Title);
        regionFinished(active, pos);
    }
}

} // namespace kolva
