#pragma once
// What one player holds, said in one place: the copy of the task it plays with
// its run-time counters, the pass its playlist belongs to, and the phase.
//
//   Idle ──begin──▶ Playing ◀──resume── Paused (by the user)
//                    │   ▲ └──pause───▶
//                    │   └──resume──── Held (the main task under an insert)
//                    └─hold──────────▶
//   any busy phase ──finish(Natural | Limit | Stop)──▶ Idle
//
// Within a busy phase the player goes through passes: loadPass hands a new
// playlist over (not yet playing when the slot is Held: it starts on resume),
// startPass marks play() as issued, and takePassEnd accepts the end of that
// pass exactly once. With a player that continues playlists, the pass after
// the current one is queued on it ahead (queuePass) and becomes the current
// pass when the player reports that it went on into it (takeQueued). An end event of an earlier
// pass, of a pass never started, or one that arrives after finish (the stop of a limit, of the
// user, of a stop-all) is refused by the same rule, so nobody has to flag
// "the next end comes from my stop".
//
// Thread: UI thread. Only PlayerControl holds a slot it can change; the
// monitor, the schedule and the window read it through PlayerControl's
// const accessors.

#include <QByteArray>
#include <QVector>
#include <cstdint>
#include <optional>

#include "model/Task.h"
#include "playback/MediaPlayer.h"

namespace kolva {

// Run-time counters of one region of the playing task.
struct RegionRun {
    int64_t PassStartTick = 0;   // tick the current pass began
    int64_t EarlierPassesMs = 0; // wall-clock time of the earlier passes
    int32_t PassCount = 0;       // passes begun so far
};

// The task on a player: the stored record, copied when it started (edits
// do not reach a playing task), and its counters.
struct PlayingTask {
    Task task;
    QVector<RegionRun> regions; // one per task.Regions, same index
    int32_t CurrentRegion = 0;  // index into task.Regions of the region playing
    int64_t StartTick = 0;      // tick of the last start or resume; 0 while paused
    int64_t PlayedMs = 0;       // played before the last pause

    // Played time: pauses (the user's, an insert's) do not count.
    int64_t playedMs(int64_t now) const { return PlayedMs + (StartTick > 0 ? now - StartTick : 0); }
};

class PlayerSlot {
public:
    enum class Phase {
        Idle,    // no task
        Playing, // the task's pass runs (the player may be between entries)
        Paused,  // paused by the user
        Held,    // the main task waits paused while the insert plays
    };
    // How the last task on the slot ended (None before any).
    enum class End { None, Natural, Limit, Stop };

    Phase phase() const { return m_phase; }
    bool busy() const { return m_phase != Phase::Idle; }
    End lastEnd() const { return m_lastEnd; }
    const PlayingTask &playing() const { return m_playing; }
    const Task &task() const { return m_playing.task; }
    const PlaylistPtr &passPlaylist() const { return m_pass.playlist; }
    bool passStarted() const { return m_pass.started; }
    // An entry of the current pass has opened (a pass where none did is not
    // repeated: every file missing or broken).
    bool passOpened() const { return m_pass.opened; }

    // The pass queued to follow the current one without a gap.
    struct QueuedPass {
        PlaylistPtr playlist;
        int pos = -1;    // index into task().Regions
        QByteArray text; // the playlist file's text, written when it starts
    };
    const std::optional<QueuedPass> &queued() const { return m_queued; }

    // --- Transitions (PlayerControl) ------------------------------------------
    // Idle or busy -> Playing with `task` and fresh counters.
    void begin(const Task &task, int64_t now);
    // Counters of the region passes and the current region.
    PlayingTask &counters() { return m_playing; }
    void loadPass(PlaylistPtr playlist);
    void queuePass(std::optional<QueuedPass> next) { m_queued = std::move(next); }
    // The queued pass when `playlist` is its playlist (and no longer queued).
    std::optional<QueuedPass> takeQueued(const Playlist &playlist);
    void startPass() { m_pass.started = true; }
    void entryOpened() { m_pass.opened = true; }
    // True exactly once per pass: while busy, for the playlist of the current
    // pass, after it was started.
    bool takePassEnd(const Playlist &playlist);
    // Playing/Paused/Held -> Paused (by the user) or Held (for an insert).
    // Only a running task adds to its played time.
    void pause(int64_t now, bool forInsert);
    // -> Playing; the pass counts as started.
    void resume(int64_t now);
    // Any -> Idle; later end events of the pass are refused.
    void finish(End how);

private:
    struct Pass {
        PlaylistPtr playlist;
        bool started = false;
        bool endTaken = false;
        bool opened = false;
    };

    Phase m_phase = Phase::Idle;
    End m_lastEnd = End::None;
    PlayingTask m_playing;
    Pass m_pass;
    std::optional<QueuedPass> m_queued;
};

} // namespace kolva
