#include "playback/PlayerSlot.h"

namespace kolva {

void PlayerSlot::begin(const Task &task, int64_t now) {
    m_playing = PlayingTask{};
    m_playing.task = task;
    m_playing.regions.resize(task.Regions.size());
    m_playing.StartTick = now;
    m_pass = Pass{};
    m_queued.reset();
    m_phase = Phase::Playing;
}

void PlayerSlot::loadPass(PlaylistPtr playlist) {
    m_pass = Pass{std::move(playlist)};
    m_queued.reset(); // a new pass by hand: what was queued does not follow
}

std::optional<PlayerSlot::QueuedPass> PlayerSlot::takeQueued(const Playlist &playlist) {
    if (!busy() || !m_queued || !m_queued->playlist || m_queued->playlist->id != playlist.id)
        return std::nullopt;
    std::optional<QueuedPass> taken = std::move(m_queued);
    m_queued.reset();
    return taken;
}

bool PlayerSlot::takePassEnd(const Playlist &playlist) {
    if (!busy() || !m_pass.playlist || m_pass.playlist->id != playlist.id || !m_pass.started ||
        m_pass.endTaken)
        return false;
    m_pass.endTaken = true;
    return true;
}

void PlayerSlot::pause(int64_t now, bool forInsert) {
    if (!busy())
        return;
    if (m_playing.StartTick > 0)
        m_playing.PlayedMs += now - m_playing.StartTick;
    m_playing.StartTick = 0;
    m_phase = forInsert ? Phase::Held : Phase::Paused;
}

void PlayerSlot::resume(int64_t now) {
    if (m_playing.StartTick == 0)
        m_playing.StartTick = now;
    m_pass.started = true;
    if (busy())
        m_phase = Phase::Playing;
}

void PlayerSlot::finish(End how) {
    m_phase = Phase::Idle;
    m_lastEnd = how;
    m_pass.endTaken = true;
    m_queued.reset();
    m_playing.PlayedMs = 0;
    m_playing.StartTick = 0;
}

} // namespace kolva
