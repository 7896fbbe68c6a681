#include "playback/PlayerControl.h"

#include <QTime>

#include "base/AtomicFile.h"
#include "base/Clock.h"
#include "base/PlayHistory.h"
#include "model/ClockTime.h"
#include "model/NumberText.h"
#include "playback/OutputRouter.h"
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
    m_slots = {};
    Players[MainPlayer]->Tag = QStringLiteral("0");
    Players[InsertPlayer]->Tag = QStringLiteral("1");
}

void PlayerControl::pausePlayer(int index) {
    Players[index]->pause();
    // Pausing a task that is already paused (by the user, then again for an
    // insert) adds nothing to its played time.
    m_slots[index].pause(m_clock.tickMs(), false);
}

void PlayerControl::resumePlayer(int index) {
    Players[index]->play();
    m_slots[index].resume(m_clock.tickMs());
    if (m_hooks.resumed)
        m_hooks.resumed(index);
}

void PlayerControl::stopPlayer(int index) {
    Players[index]->stop();
    finishSlot(index, PlayerSlot::End::Stop);
}

void PlayerControl::finishSlot(int index, PlayerSlot::End how) {
    m_slots[index].finish(how);
    if (m_output)
        m_output->playerFreed(index);
}

int PlayerControl::activePlayer() const {
    if (m_slots[InsertPlayer].busy())
        return InsertPlayer;
    if (m_slots[MainPlayer].busy())
        return MainPlayer;
    return -1;
}

int PlayerControl::soundingPlayer() const {
    if (Players[InsertPlayer]->playState() == PlayState::Playing)
        return InsertPlayer;
    if (Players[MainPlayer]->playState() == PlayState::Playing)
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
    // The end events these stops cause are refused by the slots (the task
    // has ended): no flag has to tell the monitor where they come from.
    cancelPrepared();
    for (int index : {MainPlayer, InsertPlayer}) {
        if (m_slots[index].busy())
            stopPlayer(index);
    }
}

bool PlayerControl::isTaskPlaying(int32_t taskId) const {
    const int active = activePlayer();
    return active >= 0 && m_slots[active].task().TaskID == taskId;
}

// --- Entry tracking ----------------------------------------------------------

Region PlayerControl::getPlayingRegion(const Playlist &playlist, int preferIndex) const {
    const int32_t taskId = readNumber(playlist.getItemInfo(QStringLiteral("ParentTaskID")));
    const int32_t regionId = readNumber(playlist.getItemInfo(QStringLiteral("RegionID")));
    if (preferIndex >= 0 && preferIndex < 2 && playingTask(preferIndex).TaskID == taskId)
        return getRegionByID(playingTask(preferIndex), regionId);
    for (const PlayerSlot &slot : m_slots) {
        if (slot.task().TaskID == taskId)
            return getRegionByID(slot.task(), regionId);
    }
    return Region{};
}

bool PlayerControl::takePassEnd(int index, const Playlist &playlist) {
    if (index != MainPlayer && index != InsertPlayer)
        return false;
    return m_slots[index].takePassEnd(playlist);
}

void PlayerControl::noteEntryOpened(int index) {
    if (index == MainPlayer || index == InsertPlayer)
        m_slots[index].entryOpened();
}

void PlayerControl::passEndReported(int index, const Playlist &playlist) {
    if (takePassEnd(index, playlist))
        onPlaylistEnded(index, playlist);
}

void PlayerControl::onPlaylistEnded(int index, const Playlist &playlist) {
    // The name is "KOLVA" TaskID "-" RegionID; the region id is the last piece
    // (the ad-hoc song task has TaskID -1, which adds a "-" of its own).
    const int32_t regionId = readNumber(playlist.name.section(QLatin1Char('-'), -1));
    const PlayerSlot &slot = m_slots[index];
    if (slot.passPlaylist() && slot.passPlaylist()->id == playlist.id && !slot.passOpened()) {
        const int pos = findRegionIndex(slot.task(), regionId);
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
    // Opened ahead on the player it takes: it only starts now.
    if (m_prepared && m_prepared->taskId == task.TaskID &&
        m_prepared->index == (asInsert ? InsertPlayer : MainPlayer))
        detail += QStringLiteral(" 预载");
    if (m_output)
        detail += m_output->startDetail(task.Device);
    note(PlayHistory::Started, task.Title, detail);
    if (task.Regions.isEmpty()) {
        note(PlayHistory::PlayedOut, task.Title, QStringLiteral("没有区间"));
        finishTask(task);
        return;
    }
    const int index = asInsert ? InsertPlayer : MainPlayer;
    m_playlistWriteReported[index] = false;
    // Something holds a player: the new task is an insert. The insert player
    // can hold a task while the main one is idle when the main task reached
    // its stop time under the insert; a new task then replaces the insert
    // instead of sounding beside it.
    // An insert on another output device than the main task's sounds
    // beside it (zones: another room); on the same one the main task waits.
    if (asInsert && !m_slots[InsertPlayer].busy() &&
        !(m_output && m_output->soundsApart(task.Device))) {
        Players[MainPlayer]->pause();
        m_slots[MainPlayer].pause(m_clock.tickMs(), true);
    }
    m_slots[index].begin(task, m_clock.tickMs());
    if (m_output)
        m_output->taskStarted(index, task.Title, task.Device);
    playRegionAt(index, 0);
}

void PlayerControl::nextRegion(int index, int32_t regionId) {
    const PlayingTask &playing = m_slots[index].playing();
    const int pos = findRegionIndex(playing.task, regionId);
    if (pos < 0)
        throw PlaybackError(QStringLiteral("没找到Region: RegionID=") + QString::number(regionId));
    const Region &region = playing.task.Regions[pos];
    const int32_t passes = region.Repeat == -1 ? EndlessPasses : region.Repeat;
    if (playing.regions[pos].PassCount < passes) {
        playRegionAt(index, pos);
        return;
    }
    regionFinished(index, pos);
}

void PlayerControl::regionFinished(int index, int pos) {
    const Task task = m_slots[index].task(); // kept: finishTask reads it after the end
    if (pos >= 0 && pos < task.Regions.size() - 1) {
        playRegionAt(index, pos + 1);
        return;
    }
    // The task is over. After a natural end the player already rests; a region
    // cut by its Duration, or an insert replaced by a task that plays nothing,
    // still sounds and must fall silent before the main task comes back.
    Players[index]->stop();
    finishSlot(index, PlayerSlot::End::Natural);
    note(PlayHistory::PlayedOut, task.Title);
    if (index == InsertPlayer)
        handBackToMain();
    finishTask(task);
}

void PlayerControl::endTaskEarly(int index) {
    Players[index]->stop();
    finishSlot(index, PlayerSlot::End::Limit);
    if (index == InsertPlayer)
        handBackToMain();
}

void PlayerControl::handBackToMain() {
    // A main task stopped while it waited under the insert stays stopped.
    if (m_slots[MainPlayer].busy())
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
    return m_slots[index].playing().playedMs(now);
}

int64_t PlayerControl::regionElapsedMs(const RegionRun &region, int64_t now) {
    return (now - region.PassStartTick) + region.EarlierPassesMs;
}

void PlayerControl::checkPlayback() {
    const int64_t now = m_clock.tickMs();
    checkTaskEnd(InsertPlayer, now);
    checkTaskEnd(MainPlayer, now);
    checkRegionDuration(now);
}

void PlayerControl::checkTaskEnd(int index, int64_t now) {
    if (!m_slots[index].busy())
        return;
    const Task &task = m_slots[index].task();
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
    // A main task sounding beside the insert (another device) keeps its own
    // region limits meanwhile.
    if (active == InsertPlayer && m_slots[MainPlayer].phase() == PlayerSlot::Phase::Playing)
        checkRegionDurationOf(MainPlayer, now);
    checkRegionDurationOf(active, now);
}

void PlayerControl::checkRegionDurationOf(int active, int64_t now) {
    if (!m_slots[active].busy())
        return;
    const PlayingTask &playing = m_slots[active].playing();
    const Task &task = playing.task;
    const int pos = playing.CurrentRegion;
    if (pos < 0 || pos >= task.Regions.size())
        return;
    const Region &region = task.Regions[pos];
    if (region.Duration.isEmpty())
        return;
    if (timeToMs(region.Duration) < regionElapsedMs(playing.regions[pos], now)) {
        note(PlayHistory::RegionCut, task.Title, region.Title);
        regionFinished(active, pos);
    }
}

} // namespace kolva
