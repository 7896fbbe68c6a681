#pragma once
// The GStreamer media player: one playbin per instance, sound only (WMV plays
// its audio track; no video is decoded and no window is ever made). Two
// instances play at once, each with its own pipeline, clock and sink.
//
// Threads: every public method and every signal is on the Qt UI thread.
// GStreamer's streaming threads touch only (a) the bus sync handler, which
// refs each message and posts it as a queued call to this object, tagged with
// the pipeline generation, and (b) the about-to-finish handler, which takes
// the next prepared URI under m_planMutex and never waits for anything. Messages of an older
// generation (a pipeline state that was torn down by stop, a new playlist or a non-gapless reopen)
// are dropped on arrival.
//
// Event sequences (all queued, delivered one per event-loop pass in the
// order they arose; playState()/currentMedia() are read at delivery):
//   setCurrentPlaylist(p)  stop (no StatusChange), undelivered events of the
//                          old playlist are discarded, state 1, currentMedia
//                          = p.item(0)  ->  OpenStateChange(7)
//   play() from 1 or 8     state 3 at once; entries that fail to open are
//                          skipped (entrySkipped says why); when one is open:
//                          OpenStateChange(13), StatusChange(3). If pause()
//                          came while opening: OpenStateChange(13),
//                          StatusChange(2). If no entry opens: the end of
//                          the pass below. Starts at currentMedia()'s entry
//                          (the first after setCurrentPlaylist, the first
//                          again after an end of pass).
//   next play              currentMedia = next item, OpenStateChange(13)
//                          (gapless hand-over or reopen; repeats too)
//   end of pass            state 8, currentMedia = last item  ->
//                          StatusChange; after delivery state 1 (silently)
//   pause() while 3        StatusChange(2) (deferred to after the 13 while the
//                          first entry is still opening, see above)
//   play() while 2         StatusChange(3), position kept
//   stop() while 2 or 3    state 1  ->  StatusChange(1); currentMedia kept
//   setCurrentPosition(s)  PositionChange(old, new)
//
//   play() while 3, pause() while 2 or not playing, stop() while 1 or 8:
//                          nothing.
//
// Moving on: an unclipped next play (next entry or repeat) is handed over
// gaplessly in about-to-finish from a short queue of plays the UI thread has
// planned ahead (before the pipeline starts, and topped up at every start
// and hand-over). The lengths of a playlist's first entries are asked when
// it is set; a next file's length comes from the media-length cache without
// blocking: while it is being found out (on a worker) planning stops there
// and goes on when the answer arrives. A play not planned in time goes
// through EOS instead. The handed-over play becomes
// currentMedia when its STREAM_START (new group id) arrives. Everything else
// goes through EOS: a clipped entry is prerolled in PAUSED, then one
// FLUSH|ACCURATE seek with start and stop, then PLAYING (a repeat of the same
// clip only seeks); this reopen costs ~5-20 ms of silence. Video tracks (WMV)
// go through the kolvavideodrop element (GstVideoDrop.h), so they decode
// nothing and still drain with the file.
//
// Opening: every new entry's file is first looked at on a worker thread
// (stat and access, never opened: a FIFO would block), so that a file on a
// hung share never holds the UI thread; the answer comes back queued, and
// only a regular readable file is handed to playbin.
//
// Faults: a missing, unreadable or irregular file, an error message, an
// entry that prerolls empty or not within ten seconds (or whose check does
// not answer within ten seconds), a clip that starts past the end: the entry
// and its remaining repeats are skipped, each skip told once by entrySkipped
// with its reason (and on stderr); a known-bad next entry is never handed
// over gaplessly, it goes through EOS and that check. The pipeline goes to
// NULL before the next one, since a reused typefind can stay broken after an
// error. The output: KOLVA_AUDIO_SINK or the given description, else
// autoaudiosink. When that output cannot be opened (no sound server yet, a
// device gone) or fails during play, the entry at hand plays on silently in
// real time (fakesink sync=true) so that the schedule keeps its times; every
// new entry tries the real output first, and while silent a retry every few
// seconds returns to it by itself, at the position reached.

#include <QMutex>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <deque>
#include <memory>
#include <optional>

#include "platform/GstGaplessTrim.h"
#include "platform/MediaInfoCache.h"
#include "playback/MediaPlayer.h"

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
class QTemporaryFile;

namespace kolva {

class GstMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    // sinkDescription: a GStreamer sink description; empty means the
    // KOLVA_AUDIO_SINK environment value, and when that is empty too the
    // default output (autoaudiosink, silent real-time fallback).
    explicit GstMediaPlayer(MediaInfoCache &mediaInfo, QObject *parent = nullptr,
                            const QString &sinkDescription = QString());
    ~GstMediaPlayer() override;

    PlaylistPtr newPlaylist(const QString &name, const QString &filePath) override;
    PlaylistPtr newPlaylistFromText(const QString &name, const QByteArray &asxText) override;
    void setCurrentPlaylist(PlaylistPtr playlist) override;
    PlaylistPtr currentPlaylist() const override { return m_playlist; }
    bool continuesPlaylists() const override { return true; }
    void setNextPlaylist(PlaylistPtr next) override;
    bool prerolls() const override { return true; }
    void preroll(PlaylistPtr playlist) override;
    void cancelPreroll() override;

    void play() override;
    void pause() override;
    void stop() override;

    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;

    int volume() const override { return m_volume; }
    void setVolume(int volume) override;

    PlayState playState() const override { return m_state; }
    Media currentMedia() const override { return m_current; }

    Media newMedia(const QString &filePath) override;

    // Loads decoders and plugins ahead of the first play (for the given file
    // extensions, see gst::warmUpDecoders) on a worker thread, then prerolls
    // this player once if it is still idle; the application calls it after
    // start-up and when the task list changes. Returns at once: the
    // preroll's end comes back as a bus message. A play() meanwhile cuts the
    // preroll short and starts as it would without one (the preroll comes
    // only after the loading, so a reset never waits for a plugin load).
    void warmUp(const QStringList &extensions = {QStringLiteral("wav"), QStringLiteral("mp3")});
    // True until the decoders are loaded and the preroll is done (benches
    // and tests wait for it).
    bool warmingUp() const { return m_phase == Phase::WarmingUp || m_workers->loading.load() > 0; }

    // The element of the audio sink bin with this name (tests attach to a
    // capturing sink), or null. The caller unrefs it.
    GstElement *sinkElement(const char *name) const;

    // Why the configured output was replaced by the silent sink ("" if not).
    QString sinkWarning() const { return m_sinkWarning; }
    bool soundOutputAvailable() const override { return !m_silentSink; }
    // The device by its stable name (GstMediaPlayerOutput.cpp); ignored when
    // the output is fixed (a given description or KOLVA_AUDIO_SINK).
    void setOutputDevice(const QString &stableName) override;
    QString outputDevice() const { return m_outputDevice; }

    // How often the real output is tried again while playing silently.
    static constexpr int outputRetryMs = 3000;

private:
    struct Play {
        PlaylistPtr playlist; // the current one, or the next (a new pass)
        int index = -1;
        int playNo = 1; // 1-based count of this entry's plays in the pass
        QString path;
        QString uri;
        double duration = 0;
    };
    // The player's state is m_state (what the contract reports: Stopped,
    // Playing, Paused, MediaEnded) together with the pipeline's phase:
    //   Idle        nothing loaded (READY or NULL)
    //   WarmingUp   the warm-up preroll of a silent file (m_state Stopped)
    //   Checking    the next entry's file is looked at on a worker
    //   Prerolling  playbin opens it (straight to PLAYING when unclipped)
    //   Seeking     a clip's (or a position's) seek after the preroll
    //   Running     the entry plays (or is paused) in m_current
    // Whether the pipeline should run is m_state == Playing; nothing else
    // keeps it.
    enum class Phase { Idle, WarmingUp, Checking, Prerolling, Seeking, Running };
    // The entry being opened (Checking, Prerolling, Seeking).
    struct Opening {
        int index = -1;
        int playNo = 1;
        double fileDuration = 0; // seconds, once prerolled
        bool announce = true;    // its open posts openStateChange(MediaOpen)
    };
    // How an entry is opened: a play that was already sounding (reopened on
    // another output) is not announced again; one reopened on the silent
    // output because the real one just failed does not try the real one.
    struct OpenOptions {
        bool announce = true;
        bool keepSilent = false;
    };
    enum class EventKind { OpenState, Status, Position };
    struct Event {
        EventKind kind = EventKind::Status;
        OpenState openState = OpenState::MediaOpen;
        PlayState playState = PlayState::Stopped;
        double oldPosition = 0;
        double newPosition = 0;
        bool endsPass = false; // after delivery the player rests in Stopped
    };

    // Bus and streaming-thread entry points.
    static int busSyncHandler(GstMessage *message, void *self);
    static void onAboutToFinish(GstElement *playbin, void *self);
    void handleMessage(GstMessage *message, quint64 generation);
    void onError(GstMessage *message);
    void onAsyncDone();
    void onStreamStart(GstMessage *message);
    void onEndOfStream();
    void fallBackToSilentSink();
    void retryRealOutput();
    bool installRealOutput(GstElement *probed = nullptr);
    // The real output wanted now: the fixed description, else the chosen
    // device, else the desktop's default (a silent sink and *warning when
    // it cannot be opened).
    GstElement *makeRealOutput(QString *warning) const;
    void moveOutput(GstElement *sink, const QString &warning);
    void setSilent(bool silent, const QString &why);
    void faultLater(int index);
    void onOpenTimeout();
    void prerollForWarmUp();
    void endWarmUp(bool failed);
    void onLengthKnown(const QString &path, double seconds);

    // Opening and moving through the playlist (UI thread).
    void resetPipeline();
    void openPlay(int index, int playNo);
    void openPlay(int index, int playNo, OpenOptions options);
    // An entry's file is looked at on a worker first (lookAtFile); then it is
    // opened, or, for an entry that failed in GStreamer, passed over with
    // the reason the look gives and the walk goes on after it.
    void openChecked(int index, int playNo);
    void skipFaulty(int index, const QString &fault);
    void lookAtFile(int index, int playNo, const QString &fault);
    void onFileChecked(quint64 checkNo, int index, int playNo, const QString &fault,
                       const QString &problem);
    void skipEntry(int index, const QString &reason);
    void restartSameEntry(const Play &next);
    bool seekToClip(double fileDuration);
    void entryOpened();
    // The open's events and the pipeline to PLAYING (at once, or when a
    // prerolled entry is started).
    void announceOpened();
    void entryFaulty(int index, const QString &reason);
    void endOfPass();
    std::optional<Play> nextPlayAfter(const Play &base, bool gaplessOnly,
                                      QString *lengthAwaited = nullptr, Play *candidate = nullptr);
    bool isClipped(int index) const { return isClipped(*m_playlist, index); }
    static bool isClipped(const Playlist &playlist, int index);
    // The next playlist becomes the current one (a new pass, no gap).
    void enterNextPlaylist();
    // The play that sounds or is being opened straight into PLAYING.
    Play currentPlay() const;
    bool opening() const {
        return m_phase == Phase::Checking || m_phase == Phase::Prerolling ||
               m_phase == Phase::Seeking;
    }
    void updatePlan();
    void askLengthsAhead(const Playlist *playlist);
    Media mediaFor(int index, double duration) const;
    void setPipelineState(int state);
    void applyVolume();

    static qint64 nowMs(); // wall-clock ms, for the spin guard

    // Event queue.
    void post(Event event);
    void postStatus(bool endsPass = false);
    void postOpen(OpenState state);
    void postPosition(double oldPosition, double newPosition);
    void deliverNext();

    MediaInfoCache &m_mediaInfo;
    GstElement *m_playbin = nullptr;
    GstElement *m_sink = nullptr;
    // Drops an MP3's encoder delay and padding (the playbin's audio-filter).
    gst::GaplessTrim m_gaplessTrim;
    QString m_sinkDescription; // a fixed real output ("" = by device, the desktop's)
    QString m_outputDevice;    // the chosen device's stable name ("" = the default)
    QString m_sinkWarning;
    QTimer m_outputRetry; // runs while m_silentSink

    PlaylistPtr m_playlist;
    PlaylistPtr m_nextPlaylist; // goes on from m_playlist without a gap
    bool m_passOpened = false;  // an entry of m_playlist's pass opened
    bool m_prerolling = false;  // m_playlist's first entry opens ahead (state Stopped)
    quint64 m_nextPlaylistId = 1;
    PlayState m_state = PlayState::Stopped;
    Phase m_phase = Phase::Idle;
    Media m_current;
    int m_currentPlayNo = 1;
    Opening m_open;
    int m_volume = 100;
    bool m_announced = false; // the statusChange of this play() was posted
    double m_pendingPosition = -1;
    bool m_passEnded = false;      // play() starts again from the first entry
    bool m_silentSink = false;     // playing on the silent real-time sink
    bool m_pipelineBroken = false; // after a fault: the next reset goes to NULL
    bool m_debug = false;          // KOLVA_PLAYER_DEBUG: trace hand-overs and errors
    int m_quickEnds = 0;           // consecutive plays that ended at once (spin guard)
    qint64 m_openedAtMs = 0;
    QTimer m_openWatchdog; // an entry whose check or open never ends is skipped
    std::unique_ptr<QTemporaryFile> m_warmUpFile; // a tiny silent WAV
    // Work on worker threads (decoder loads, file checks); shared, as a
    // worker may outlive the player (owner is cleared under the mutex then,
    // and its answer goes nowhere).
    struct Workers {
        QMutex mutex;
        GstMediaPlayer *owner = nullptr;
        std::atomic<int> loading{0}; // decoder loads running
    };
    std::shared_ptr<Workers> m_workers = std::make_shared<Workers>();
    quint64 m_checkNo = 0; // the file check whose answer is awaited (Checking)
    QString m_planAwaits;  // planning waits for this file's length (cache)

    // Shared with the streaming threads.
    std::atomic<quint64> m_generation{1};
    QMutex m_planMutex;
    std::deque<Play> m_plan;             // the next plays, ready to hand over, in order
    std::optional<Play> m_planCandidate; // after m_plan, waits for its length
    quint64 m_candidatesTaken = 0; // hand-overs of a candidate (not from m_plan)
    std::deque<Play> m_handedOver;       // URIs given in about-to-finish, not started
    quint32 m_groupId = 0;
    bool m_haveGroup = false;

    std::deque<Event> m_events;
    bool m_deliveryScheduled = false;
};

} // namespace kolva
