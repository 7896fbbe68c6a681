// The playlist of one region pass: the ASX file the player reads (or its text,
// when the file cannot be written), the pass counters and the hand-over to
// the player.

#include <QDir>
#include <algorithm>

#include "base/Clock.h"
#include "model/XmlText.h"
#include "playback/PlayerControl.h"

namespace kolva {

namespace {

void line(QString &text, const QString &content) {
    text += content;
    text += QStringLiteral("\r\n");
}

QString param(const char *name, int32_t value) {
    return QStringLiteral("<Param Name=\"%1\" Value=\"%2\" />").arg(QLatin1String(name)).arg(value);
}

} // namespace

QString PlayerControl::playlistName(int32_t taskId, int32_t regionId) {
    return QStringLiteral("KOLVA%1-%2").arg(taskId).arg(regionId);
}

QByteArray PlayerControl::playlistText(int32_t taskId, const Region &region,
                                       const QVector<int> &order) {
    QString text;
    line(text, QStringLiteral("<Asx Version = \"3.0\" >"));
    line(text, QStringLiteral("<Author>KOLVA</Author>"));
    line(text, QStringLiteral("<Title>%1</Title>").arg(playlistName(taskId, region.RegionID)));
    line(text, param("ParentTaskID", taskId));
    line(text, param("RegionID", region.RegionID));
    for (int songIndex : order) {
        const Song &song = region.Songs.at(songIndex);
        if (song.Repeat != 0) {
            const int32_t count = song.Repeat == -1 ? EndlessPasses : song.Repeat - 1;
            line(text, QStringLiteral("<REPEAT COUNT=\"%1\">").arg(count));
        }
        line(text, QStringLiteral("<Entry>"));
        line(text, param("ParentTaskID", taskId));
        line(text, param("ParentRegionID", region.RegionID));
        line(text, param("SongID", song.SongID));
        if (!song.StartTime.isEmpty())
            line(text, QStringLiteral("<StartTime value = \"%1\" />")
                           .arg(xmlAttributeText(song.StartTime)));
        if (!song.Duration.isEmpty())
            line(
                text,
                QStringLiteral("<Duration value = \"%1\" />").arg(xmlAttributeText(song.Duration)));
        line(text, QStringLiteral("<Ref href=\"%1\"/>").arg(xmlAttributeText(song.SongFile)));
        line(text, QStringLiteral("</Entry>"));
        if (song.Repeat != 0)
            line(text, QStringLiteral("</REPEAT>"));
    }
    line(text, QStringLiteral("</Asx>"));
    return text.toUtf8();
}

QVector<int> PlayerControl::randomOrder(int first, int last) {
    QVector<int> order;
    if (last < first)
        return order;
    order.reserve(last - first + 1);
    for (int i = first; i <= last; ++i)
        order.append(i);
    // Fisher-Yates from the back: every permutation equally likely.
    for (int i = int(order.size()) - 1; i > 0; --i) {
        std::uniform_int_distribution<int> pick(0, i);
        std::swap(order[i], order[pick(m_random)]);
    }
    return order;
}

bool PlayerControl::writePlaylistFile(int index, const QByteArray &text) {
    QString reason;
    if (m_writePlaylist(m_paths.playlistFile(), text, &reason))
        return true;
    // Said once per task: an endless region on a full disk would otherwise
    // repeat it every pass.
    if (!m_playlistWriteReported[index]) {
        m_playlistWriteReported[index] = true;
        if (m_reportError)
            m_reportError(QStringLiteral("无法写入播放列表：%1，%2")
                              .arg(QDir::toNativeSeparators(m_paths.playlistFile()), reason));
    }
    return false;
}

int PlayerControl::firstPlayableRegion(const Task &task, int pos) {
    for (int r = std::max(pos, 0); r < task.Regions.size(); ++r) {
        if (!task.Regions[r].Songs.isEmpty())
            return r;
    }
    return -1;
}

QByteArray PlayerControl::passText(const Task &task, int pos) {
    const Region &region = task.Regions[pos];
    const int last = int(region.Songs.size()) - 1;
    QVector<int> order;
    if (region.Sort == 1) {
        order = randomOrder(0, last);
    } else {
        for (int i = 0; i <= last; ++i)
            order.append(i);
    }
    return playlistText(task.TaskID, region, order);
}

void PlayerControl::beginPass(int index, int pos) {
    PlayerSlot &slot = m_slots[index];
    const Task &task = slot.task();
    const Region &region = task.Regions[pos];
    const int64_t now = m_clock.tickMs();
    PlayingTask &counters = slot.counters();
    RegionRun &run = counters.regions[pos];
    if (run.PassStartTick > 0)
        run.EarlierPassesMs += now - run.PassStartTick;
    run.PassStartTick = now;
    run.PassCount += 1;
    counters.CurrentRegion = findRegionIndex(task, region.RegionID);
    if (const int32_t volume = passVolume(task, region); volume >= 0)
        Players[index]->setVolume(volume);
}

void PlayerControl::playRegionAt(int index, int pos) {
    PlayerSlot &slot = m_slots[index];
    const Task &task = slot.task();
    if (pos < 0 || pos >= task.Regions.size())
        return;
    const Region &region = task.Regions[pos];
    // An empty region is passed over at once, whatever its Repeat: it never
    // starts a pass, so it could never use its passes up.
    if (region.Songs.isEmpty()) {
        regionFinished(index, pos);
        return;
    }
    MediaPlayer *player = Players[index];
    const QString name = playlistName(task.TaskID, region.RegionID);
    // A first pass prepared ahead for this task and player is played as it
    // was drawn and opened; anything else is dropped.
    PlaylistPtr prepared;
    QByteArray text;
    int dropOn = -1; // a preroll on the other player, dropped once this one runs
    if (m_prepared) {
        if (m_prepared->taskId == task.TaskID && m_prepared->index == index &&
            m_prepared->pos == pos && slot.playing().regions[pos].PassCount == 0) {
            prepared = m_prepared->playlist;
            text = m_prepared->text;
        } else if (m_prepared->index != index) {
            dropOn = m_prepared->index; // (on this player the new playlist drops it)
        }
        m_prepared.reset();
    }
    // The file is the record of the pass; the pass plays from the text in
    // memory when it cannot be written.
    if (!prepared)
        text = passText(task, pos);
    const bool written = writePlaylistFile(index, text);
    beginPass(index, pos);
    PlaylistPtr playlist = prepared  ? prepared
                           : written ? player->newPlaylist(name, m_paths.playlistFile())
                                     : player->newPlaylistFromText(name, text);
    player->setCurrentPlaylist(playlist);
    slot.loadPass(playlist);
    queueNextPass(index);

    // The main task waiting under an insert (its pass ended while the insert
    // took over) gets its next playlist now but starts only when it resumes.
    if (slot.phase() == PlayerSlot::Phase::Held) {
        if (dropOn >= 0)
            Players[dropOn]->cancelPreroll();
        return;
    }
    // Started at once: the player's events keep their order (the playlist
    // change is told before the first entry opens), so nothing is gained by
    // the original's one-tick deferral, and its millisecond is saved.
    // A task the user had paused plays again with its next region: its play
    // time counts again from here.
    if (slot.phase() == PlayerSlot::Phase::Paused)
        slot.resume(m_clock.tickMs());
    slot.startPass();
    player->play();
    if (dropOn >= 0)
        Players[dropOn]->cancelPreroll();
}

void PlayerControl::queueNextPass(int index) {
    MediaPlayer *player = Players[index];
    if (!player->continuesPlaylists())
        return;
    PlayerSlot &slot = m_slots[index];
    const PlayingTask &playing = slot.playing();
    const Task &task = playing.task;
    const int pos = playing.CurrentRegion;
    // What nextRegion will choose when this pass ends: the same region while
    // passes remain, else the next region with songs (empty ones are passed
    // over), else nothing: the task ends with this pass.
    const Region &region = task.Regions[pos];
    const int32_t passes = region.Repeat == -1 ? EndlessPasses : region.Repeat;
    const int next =
        playing.regions[pos].PassCount < passes ? pos : firstPlayableRegion(task, pos + 1);
    if (next < 0) {
        slot.queuePass(std::nullopt);
        player->setNextPlaylist(nullptr);
        return;
    }
    PlayerSlot::QueuedPass queued;
    queued.pos = next;
    queued.text = passText(task, next);
    queued.playlist = player->newPlaylistFromText(
        playlistName(task.TaskID, task.Regions[next].RegionID), queued.text);
    player->setNextPlaylist(queued.playlist);
    slot.queuePass(std::move(queued));
}

void PlayerControl::prepareTask(const Task &task) {
    // The player it will take (as playTask chooses); the insert player only
    // while it is idle: one that plays an insert is replaced, not opened.
    // Asked every second: when what plays has changed meanwhile (the task
    // before it ended), it is opened on the player it will take now.
    const int index = activePlayer() >= 0 ? InsertPlayer : MainPlayer;
    if (m_prepared && m_prepared->taskId == task.TaskID && m_prepared->index == index)
        return;
    cancelPrepared();
    MediaPlayer *player = Players[index];
    const int pos = firstPlayableRegion(task, 0);
    if (!player->prerolls() || m_slots[index].busy() || pos < 0)
        return;
    Prepared prepared;
    prepared.taskId = task.TaskID;
    prepared.index = index;
    prepared.pos = pos;
    prepared.text = passText(task, pos);
    prepared.playlist = player->newPlaylistFromText(
        playlistName(task.TaskID, task.Regions[pos].RegionID), prepared.text);
    player->preroll(prepared.playlist);
    m_prepared = std::move(prepared);
}

void PlayerControl::cancelPrepared() {
    if (!m_prepared)
        return;
    Players[m_prepared->index]->cancelPreroll();
    m_prepared.reset();
}

void PlayerControl::playlistChanged(int index, const Playlist &playlist) {
    if (index != MainPlayer && index != InsertPlayer)
        return;
    PlayerSlot &slot = m_slots[index];
    std::optional<PlayerSlot::QueuedPass> queued = slot.takeQueued(playlist);
    if (!queued)
        return; // a playlist this layer handed over itself
    // The player went on into the queued pass without a gap: it begins now,
    // exactly as a pass handed over by playRegionAt (its counters, its file).
    writePlaylistFile(index, queued->text); // its record (it plays from memory)
    beginPass(index, queued->pos);
    slot.loadPass(queued->playlist);
    slot.startPass();
    queueNextPass(index);
}

} // namespace kolva
