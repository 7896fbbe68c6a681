#pragma once
// The two players and what plays on them: the main player (index 0, "主播") and
// the insert player (index 1, "插播"), the copy of the task on each with its
// play-time counters, the transport primitives, the playlist of one region pass
// and the moves from pass to pass and region to region.
//
// State: each player's PlayerSlot (what it holds and in which phase) is owned
// here and changed only here; everyone else reads it through slot().
//
// Thread: UI thread only. Player events arrive through the playback monitor;
// nothing here is re-entered except resumePlayer telling the monitor that
// the task on a player goes on (Hooks::resumed).

#include <QString>
#include <QVector>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>

#include "base/AppPaths.h"
#include "base/Reporting.h"
#include "model/Task.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayerSlot.h"

namespace kolva {

class Clock;
class OutputRouter;
class PlayHistory;
class PowerOff;

class PlayerControl {
public:
    static constexpr int MainPlayer = 0;
    static constexpr int InsertPlayer = 1;
    // Region Repeat -1 (endless) counts as this many passes.
    static constexpr int32_t EndlessPasses = 999999999;

    // What the player layer tells the monitor.
    struct Hooks {
        // The task on the player goes on after a pause: its song is shown
        // again (the player raises no open event for a resume).
        std::function<void(int index)> resumed;
    };

    PlayerControl(Clock &clock, PowerOff &powerOff, const AppPaths &paths, MediaPlayer *mainPlayer,
                  MediaPlayer *insertPlayer);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    // Where a failure that does not stop playback is told (the error line).
    void setErrorReporter(std::function<void(const QString &message)> report) {
        m_reportError = std::move(report);
    }
    // Writes the playlist file (writeFileAtomically; tests inject failures).
    using PlaylistWriter =
        std::function<bool(const QString &path, const QByteArray &bytes, QString *reason)>;
    void setPlaylistWriter(PlaylistWriter writer) { m_writePlaylist = std::move(writer); }
    // Where starts, ends and power-off requests are written (may be null).
    void setHistory(PlayHistory *history) { m_history = history; }
    // Told when a task starts on a player and when it leaves it, so that the
    // player plays on the task's output device (may be null).
    void setOutputRouter(OutputRouter *router) { m_output = router; }
    // The random order of Sort 1 regions comes from one generator seeded once;
    // tests fix the seed.
    void setRandomSeed(uint64_t seed) { m_random.seed(seed); }

    // The two media players, indexed by player.
    std::array<MediaPlayer *, 2> Players{};
    // What each player holds (PlayerBusy and PlayingTasks of old: busy() and
    // playing()).
    const PlayerSlot &slot(int index) const { return m_slots[index]; }
    const Task &playingTask(int index) const { return m_slots[index].task(); }

    // --- Transport ---------------------------------------------------------
    void initPlayers(MediaPlayer *mainPlayer, MediaPlayer *insertPlayer);
    void pausePlayer(int index);
    void resumePlayer(int index);
    void stopPlayer(int index);
    void pauseActive();
    void resumeActive();
    void stopAll();
    // The player whose task is in charge, by the busy flags: insert when busy,
    // else main when busy, else -1. Pause/resume and "already playing" follow it.
    int activePlayer() const;
    // The player that is heard, by the play states: insert when playing, else
    // main when playing, else -1. The position display, seeking and the volume
    // bar follow it (a busy player may be paused or between entries).
    int soundingPlayer() const;
    bool isTaskPlaying(int32_t taskId) const;

    // --- Entry tracking ----------------------------------------------------
    // The region the playlist plays, through its ParentTaskID/RegionID params.
    // The slot of preferIndex is looked at first (the player that raised the
    // event), then main before insert; an all-zero record when none matches.
    Region getPlayingRegion(const Playlist &playlist, int preferIndex = -1) const;
    // True exactly once per pass: when the player holds a task, the playlist is
    // the one its current pass was given, that pass was started and its end
    // has not been taken yet. Stops caused by limits or by the user, events
    // of an older pass and repeated end events are refused.
    bool takePassEnd(int index, const Playlist &playlist);
    // An entry of the player's current pass has opened (MediaOpen).
    void noteEntryOpened(int index);
    // The end event of a player (MediaEnded or Stopped with the playlist's
    // last item current): the running pass moves on, anything else (the
    // stop of a limit or of the user, a stale or repeated end) is refused.
    void passEndReported(int index, const Playlist &playlist);
    // The player's playlist changed (PlaylistChanged): when it went on by
    // itself into the pass queued ahead, that pass begins now.
    void playlistChanged(int index, const Playlist &playlist);
    // The pass has played out: the next pass, region or the task's end. A
    // pass in which no entry could be opened (every file missing or broken)
    // is not repeated, as an empty region is not: otherwise an endless region
    // of missing files would rewrite its playlist without pause.
    void onPlaylistEnded(int index, const Playlist &playlist);

    // --- Tasks and regions -------------------------------------------------
    // lateMs: how long after its start second the schedule started it; -1
    // for a start by hand.
    void playTask(const Task &task, int lateMs = -1);
    // A task due in a moment: its first pass is drawn and its first entry
    // opened ahead on the player it will take, so that at its second it only
    // starts. Dropped when something else happens first (cancelPrepared).
    void prepareTask(const Task &task);
    void cancelPrepared();
    // The task prepared ahead (-1: none); TaskID otherwise.
    int32_t preparedTaskId() const { return m_prepared ? m_prepared->taskId : -1; }
    // A permutation of first..last (element i - first holds the song index
    // for play position i), fresh on each call.
    QVector<int> randomOrder(int first, int last);
    void nextRegion(int index, int32_t regionId);
    void finishTask(const Task &task);

    // --- Limits (the schedule tick) -------------------------------------------
    void checkPlayback();
    void checkTaskEnd(int index, int64_t now);
    void checkRegionDuration(int64_t now);

    // Played time of the task on the player: pauses do not count.
    int64_t taskPlayedMs(int index, int64_t now) const;
    // Time of a region over all its passes: wall-clock, pauses count.
    static int64_t regionElapsedMs(const RegionRun &region, int64_t now);

    // The playlist text of one pass (CR LF lines), songs in the given order.
    static QByteArray playlistText(int32_t taskId, const Region &region, const QVector<int> &order);
    static QString playlistName(int32_t taskId, int32_t regionId);

private:
    // The next pass of the region at pos: its playlist written and handed
    // to the player, which starts at once (a main task held under an insert
    // starts when it resumes).
    void playRegionAt(int index, int pos);
    // The counters, the playlist file and the volume of a pass that begins.
    void beginPass(int index, int pos);
    // The text of the next pass of the task's region at pos (a fresh random
    // order).
    QByteArray passText(const Task &task, int pos);
    // Index of the first region with songs at or after pos; -1 when none.
    static int firstPlayableRegion(const Task &task, int pos);
    // What follows the current pass (the same region again, the next region
    // with songs, or nothing), queued on a player that continues playlists.
    void queueNextPass(int index);
    // The region at pos gets no further pass: the next one plays, or the task
    // is over (natural end).
    void regionFinished(int index, int pos);
    // The task on the player ends without its natural end (a limit): stop it
    // and hand back to the main task.
    void endTaskEarly(int index);
    // The main task goes on after the insert ended.
    void handBackToMain();
    // The region limit of the task on one player.
    void checkRegionDurationOf(int index, int64_t now);
    // The slot ends its task; the player follows the program's output again.
    void finishSlot(int index, PlayerSlot::End how);
    // False when the file could not be written (told once per task).
    bool writePlaylistFile(int index, const QByteArray &text);
    void note(const QString &event, const QString &title, const QString &detail = QString());

    Clock &m_clock;
    PowerOff &m_powerOff;
    AppPaths m_paths;
    Hooks m_hooks;
    PlayHistory *m_history = nullptr;
    OutputRouter *m_output = nullptr;
    std::array<PlayerSlot, 2> m_slots{};
    // A first pass drawn and opened ahead (prepareTask).
    struct Prepared {
        int32_t taskId = 0;
        int index = -1; // the player
        int pos = -1;   // the region
        QByteArray text;
        PlaylistPtr playlist;
    };
    std::optional<Prepared> m_prepared;
    std::function<void(const QString &)> m_reportError;
    PlaylistWriter m_writePlaylist;
    std::array<bool, 2> m_playlistWriteReported{false, false}; // for the task on the player
    std::mt19937_64 m_random;
};

} // namespace kolva
