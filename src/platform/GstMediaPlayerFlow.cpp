// The GStreamer side of the player: bus messages brought to the UI thread,
// the audio output and its fallback, opening entries (file check, preroll,
// clip seek, play), skipping faulty entries and the end of a pass. The
// gapless hand-over is in GstMediaPlayerPlan.cpp.
#include <QDateTime>
#include <QMetaObject>
#include <cmath>
#include <gst/gst.h>
#include <thread>

#include "platform/GstMediaPlayer.h"
#include "platform/GstSupport.h"
#include "playback/MediaFiles.h"

namespace kolva {

namespace {

using MessageRef = std::shared_ptr<GstMessage>;

gint64 toClock(double seconds) {
    return gint64(std::llround(seconds * double(GST_SECOND)));
}

// A play shorter than this counts as "ended at once" for the spin guard.
constexpr qint64 quickEndMs = 20;
constexpr int maxQuickEnds = 50;

} // namespace

qint64 GstMediaPlayer::nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

// Any thread. The one place bus messages enter: the few kinds the player
// uses are held by reference and posted to the UI thread with the
// generation they were posted under; everything else is dropped here.
int GstMediaPlayer::busSyncHandler(GstMessage *message, void *data) {
    auto *self = static_cast<GstMediaPlayer *>(data);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_STREAM_START:
        break;
    default:
        return GST_BUS_DROP;
    }
    const quint64 generation = self->m_generation.load();
    MessageRef held(gst_message_ref(message), &gst_message_unref);
    QMetaObject::invokeMethod(
        self, [self, held, generation] { self->handleMessage(held.get(), generation); },
        Qt::QueuedConnection);
    return GST_BUS_DROP;
}

void GstMediaPlayer::handleMessage(GstMessage *message, quint64 generation) {
    if (generation != m_generation.load() || !m_playbin)
        return; // from a pipeline state that has been torn down since
    const bool fromPipeline = GST_MESSAGE_SRC(message) == GST_OBJECT_CAST(m_playbin);
    if (m_phase == Phase::WarmingUp) {
        // The warm-up's preroll: done or failed, and nothing else to do (an
        // output that fails here is found again by the first real play).
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
            endWarmUp(true);
        else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE && fromPipeline)
            endWarmUp(false);
        return;
    }
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
        onError(message);
        break;
    case GST_MESSAGE_EOS:
        if (fromPipeline)
            onEndOfStream();
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (fromPipeline)
            onAsyncDone();
        break;
    case GST_MESSAGE_STREAM_START:
        if (fromPipeline)
            onStreamStart(message);
        break;
    default:
        break;
    }
}

void GstMediaPlayer::onError(GstMessage *message) {
    GError *error = nullptr;
    gchar *debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    GstObject *src = GST_MESSAGE_SRC(message);
    const QString text = (error ? QString::fromUtf8(error->message) : QString()) +
                         (m_debug ? QStringLiteral(" [%1: %2]")
                                        .arg(QString::fromUtf8(src ? GST_OBJECT_NAME(src) : "?"),
                                             QString::fromUtf8(debug ? debug : ""))
                                  : QString());
    if (error)
        g_error_free(error);
    g_free(debug);
    const bool fromSink = m_sink && src &&
                          (src == GST_OBJECT_CAST(m_sink) ||
                           gst_object_has_as_ancestor(src, GST_OBJECT_CAST(m_sink)));
    if (fromSink && !m_silentSink) {
        qWarning("kolva player %s: audio output failed (%s); playing silently", qUtf8Printable(Tag),
                 qUtf8Printable(text));
        fallBackToSilentSink();
        return;
    }
    int faulty = -1;
    if (m_phase == Phase::Prerolling || m_phase == Phase::Seeking) {
        faulty = m_open.index;
    } else if (m_phase == Phase::Running) {
        bool intoNext = false;
        {
            QMutexLocker lock(&m_planMutex);
            // A URI handed over but not started is the likelier culprit.
            if (!m_handedOver.empty()) {
                faulty = m_handedOver.front().index;
                intoNext = m_handedOver.front().playlist != m_playlist;
            } else {
                faulty = m_current.index;
            }
        }
        if (intoNext)
            enterNextPlaylist(); // the culprit is the next pass's entry
    } else {
        return;
    }
    entryFaulty(faulty, text); // GStreamer's own reason
}

void GstMediaPlayer::fallBackToSilentSink() {
    const bool wasOpening = m_phase == Phase::Prerolling || m_phase == Phase::Seeking;
    const int index = wasOpening ? m_open.index : m_current.index;
    const int playNo = wasOpening ? m_open.playNo : m_currentPlayNo;
    // The entry goes on from where the output failed, not from its start.
    const double position = wasOpening ? m_pendingPosition : currentPosition();
    resetPipeline();
    GstElement *silent = gst::makeSilentSink();
    if (!silent)
        return;
    gst_element_set_state(m_playbin, GST_STATE_NULL); // a sink is swapped in NULL only
    g_object_set(m_playbin, "audio-sink", silent, nullptr);
    if (m_sink)
        gst_object_unref(m_sink);
    m_sink = silent;
    setSilent(true, QStringLiteral("audio output failed; playing silently"));
    if (index >= 0 && (m_state == PlayState::Playing || m_state == PlayState::Paused)) {
        m_pendingPosition = position > 0 ? position : -1;
        // The real output just failed: not again at once; a play that was
        // sounding just goes on.
        openPlay(index, playNo, OpenOptions{wasOpening, true});
    }
}

void GstMediaPlayer::setSilent(bool silent, const QString &why) {
    m_sinkWarning = silent ? why : QString();
    if (silent)
        m_outputRetry.start();
    else
        m_outputRetry.stop();
    if (m_silentSink == silent)
        return;
    m_silentSink = silent;
    emit soundOutputChanged();
}

// Puts the real output back in place of the silent one, `probed` when the
// caller has already made it (and owns no reference any more), else a fresh
// one. False (and silence kept) while it still cannot be opened. The
// pipeline must be idle: a sink is swapped in NULL only.
bool GstMediaPlayer::installRealOutput(GstElement *probed) {
    GstElement *sink = probed;
    if (!sink) {
        QString warning;
        sink = makeRealOutput(&warning);
        if (!warning.isEmpty()) {
            gst_object_unref(sink);
            return false;
        }
    }
    gst_element_set_state(m_playbin, GST_STATE_NULL);
    g_object_set(m_playbin, "audio-sink", sink, nullptr);
    if (m_sink)
        gst_object_unref(m_sink);
    m_sink = sink;
    qWarning("kolva player %s: audio output is back", qUtf8Printable(Tag));
    setSilent(false, QString());
    return true;
}

// Every few seconds while silent (UI thread). Opening the output takes a
// few milliseconds (a connection attempt to the sound server); only when it
// works is the entry reopened on it at the position it has reached.
void GstMediaPlayer::retryRealOutput() {
    if (!m_silentSink || !m_playbin)
        return;
    if (opening())
        return; // the entry being opened tries (or tried) already
    QString warning;
    GstElement *sink = makeRealOutput(&warning);
    if (!warning.isEmpty()) {
        gst_object_unref(sink);
        return;
    }
    if (m_phase != Phase::Running) {
        resetPipeline();
        installRealOutput(sink);
        return;
    }
    const int index = m_current.index;
    const int playNo = m_currentPlayNo;
    const double position = currentPosition();
    resetPipeline();
    installRealOutput(sink);
    m_pendingPosition = position > 0 ? position : -1;
    openPlay(index, playNo, OpenOptions{false, false}); // the same play goes on
}

// A state change that failed outright: treated like an error message, but
// from the event loop so that skipping never recurses.
void GstMediaPlayer::faultLater(int index) {
    const quint64 generation = m_generation.load();
    QMetaObject::invokeMethod(
        this,
        [this, generation, index] {
            if (generation == m_generation.load() && m_phase != Phase::Idle &&
                m_phase != Phase::WarmingUp)
                entryFaulty(index, QStringLiteral("无法打开"));
        },
        Qt::QueuedConnection);
}

void GstMediaPlayer::onAsyncDone() {
    if (m_phase == Phase::Prerolling) {
        bool handedOver = false;
        {
            QMutexLocker lock(&m_planMutex);
            handedOver = !m_handedOver.empty();
        }
        // Once the next file has been handed over (a short entry), playbin
        // may answer for that one: then the media-length cache's answer
        // counts. Not known there yet: it is asked (onLengthKnown fills it
        // in) and the entry, which did preroll, plays on with length 0.
        gint64 duration = -1;
        bool emptyFile = false;
        if (!handedOver && gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration) &&
            duration >= 0) {
            m_open.fileDuration = double(duration) / double(GST_SECOND);
            emptyFile = m_open.fileDuration <= 0;
        } else {
            const std::optional<double> known =
                m_mediaInfo.lookup(m_playlist->entries[m_open.index].ref);
            m_open.fileDuration = known.value_or(0);
        }
        if (emptyFile) {
            // Nothing to hear (an empty file): unplayable, as newMedia says.
            entryFaulty(m_open.index, QStringLiteral("没有可播放的声音"));
            return;
        }
        if (isClipped(m_open.index) || m_pendingPosition >= 0) {
            if (!seekToClip(m_open.fileDuration)) {
                entryFaulty(m_open.index, QStringLiteral("剪辑超出文件长度"));
                return;
            }
            m_phase = Phase::Seeking;
            return;
        }
        entryOpened();
    } else if (m_phase == Phase::Seeking) {
        entryOpened();
    }
    // Running: the ASYNC_DONE of a pause or a position change; nothing waits.
}

void GstMediaPlayer::onEndOfStream() {
    if (m_phase == Phase::Prerolling || m_phase == Phase::Seeking) {
        entryFaulty(m_open.index, QStringLiteral("没有可播放的声音")); // (or in the clip)
        return;
    }
    if (m_phase != Phase::Running)
        return;
    std::optional<Play> pending;
    {
        QMutexLocker lock(&m_planMutex);
        if (!m_handedOver.empty())
            pending = m_handedOver.front();
        m_plan.clear();
        m_planCandidate.reset();
        m_handedOver.clear();
    }
    if (pending) {
        // A URI was handed over but never started.
        if (pending->playlist != m_playlist)
            enterNextPlaylist();
        entryFaulty(pending->index, QStringLiteral("没有开始播放"));
        return;
    }
    m_quickEnds = nowMs() - m_openedAtMs < quickEndMs ? m_quickEnds + 1 : 0;
    if (m_quickEnds > maxQuickEnds) {
        // An endless repeat of something that plays nothing would spin.
        m_quickEnds = 0;
        entryFaulty(m_current.index, QStringLiteral("每次播放都立即结束"));
        return;
    }
    const std::optional<Play> next = nextPlayAfter(currentPlay(), false);
    if (m_debug)
        qInfo("kolva player %s: end of stream of entry %d, %s", qUtf8Printable(Tag),
              m_current.index, next ? "reopening" : "end of pass");
    if (!next) {
        endOfPass();
        return;
    }
    if (next->playlist != m_playlist) {
        enterNextPlaylist(); // the next pass, after a reopen
        openChecked(next->index, next->playNo);
        return;
    }
    if (next->index == m_current.index && isClipped(next->index)) {
        restartSameEntry(*next);
        return;
    }
    openChecked(next->index, next->playNo);
}

void GstMediaPlayer::resetPipeline() {
    // READY keeps the elements (quick); after an error some of them (a
    // reused typefind/parser) stay broken, so then everything goes to NULL.
    if (m_playbin)
        gst_element_set_state(m_playbin, m_pipelineBroken ? GST_STATE_NULL : GST_STATE_READY);
    m_pipelineBroken = false;
    m_gaplessTrim.reset(); // gapless trim: plays queued but not started are gone
    // After READY no streaming thread runs: whatever it posted before is
    // of the old generation and is dropped on arrival.
    m_generation.fetch_add(1);
    {
        QMutexLocker lock(&m_planMutex);
        m_plan.clear();
        m_planCandidate.reset();
        m_handedOver.clear();
    }
    m_haveGroup = false;
    m_phase = Phase::Idle;
    m_planAwaits.clear();
    m_openWatchdog.stop();
}

// Every new entry's file is looked at on a worker before GStreamer opens it:
// a file on a share that hangs must not hold the UI thread, and a missing
// file, a folder, a FIFO or a device is passed over with its own reason
// without being opened (filesrc would wait on a FIFO for a writer). With a
// fault the entry has failed in GStreamer: the check then tells whether the
// file itself is the cause (gone, unreadable meanwhile) for the report, and
// the walk goes on after it. The answer comes back as a queued call.
void GstMediaPlayer::openChecked(int index, int playNo) {
    lookAtFile(index, playNo, QString());
}

void GstMediaPlayer::skipFaulty(int index, const QString &fault) {
    lookAtFile(index, m_open.playNo, fault);
}

void GstMediaPlayer::lookAtFile(int index, int playNo, const QString &fault) {
    resetPipeline();
    if (!m_playbin || !m_playlist || index < 0 || index >= m_playlist->count()) {
        endOfPass();
        return;
    }
    m_phase = Phase::Checking;
    m_open.index = index;
    m_open.playNo = playNo;
    m_openWatchdog.start(); // a check stuck on a hung share must not hold the player
    const quint64 checkNo = ++m_checkNo;
    // A thread of its own at once, never queued behind a decoder load or a
    // check that hangs, and detached: a stat stuck on a hung share must not
    // hold up the program's exit either (a pool waits for its threads). It
    // shares only the worker block, which outlives the player.
    std::thread([path = m_playlist->entries[index].ref, checkNo, index, playNo, fault,
                 workers = m_workers] {
        const QString problem = mediaFileProblem(path);
        QMutexLocker lock(&workers->mutex);
        if (GstMediaPlayer *owner = workers->owner)
            QMetaObject::invokeMethod(
                owner,
                [owner, checkNo, index, playNo, fault, problem] {
                    owner->onFileChecked(checkNo, index, playNo, fault, problem);
                },
                Qt::QueuedConnection);
    }).detach();
}

// UI thread: the answer of lookAtFile's worker.
void GstMediaPlayer::onFileChecked(quint64 checkNo, int index, int playNo, const QString &fault,
                                   const QString &problem) {
    if (m_phase != Phase::Checking || checkNo != m_checkNo)
        return; // stopped, another playlist, or given up meanwhile
    m_openWatchdog.stop();
    if (problem.isEmpty() && fault.isEmpty()) {
        openPlay(index, playNo);
        return;
    }
    if (m_prerolling && m_state == PlayState::Stopped) {
        cancelPreroll(); // nothing is told ahead: the start opens it as usual
        return;
    }
    skipEntry(index, problem.isEmpty() ? notPlayableReason(fault) : problem);
    m_pendingPosition = -1; // a position asked for this entry is not the next one's
    openChecked(index + 1, 1);
}

// The one place an entry is passed over: the log and the entrySkipped event
// (the play history, the error line), once per skip.
void GstMediaPlayer::skipEntry(int index, const QString &reason) {
    const QString &path = m_playlist->entries[index].ref;
    qWarning("kolva player %s: skipping \"%s\": %s", qUtf8Printable(Tag), qUtf8Printable(path),
             qUtf8Printable(reason));
    // Queued, as every event of the player: never from inside a call.
    QMetaObject::invokeMethod(
        this, [this, path, reason] { emit entrySkipped(path, reason); }, Qt::QueuedConnection);
}

void GstMediaPlayer::openPlay(int index, int playNo) {
    openPlay(index, playNo, OpenOptions());
}

void GstMediaPlayer::openPlay(int index, int playNo, OpenOptions options) {
    resetPipeline();
    // Silence holds only for the entry it began in: each new one tries the
    // real output first.
    if (m_silentSink && m_playbin && !options.keepSilent)
        installRealOutput();
    if (!m_playbin || !m_playlist || index < 0 || index >= m_playlist->count()) {
        endOfPass();
        return;
    }
    m_open = Opening{index, playNo, 0, options.announce};
    m_openedAtMs = nowMs();
    m_openWatchdog.start();
    const QString uri = gst::fileUri(m_playlist->entries[index].ref);
    m_phase = Phase::Prerolling;
    if (uri.isEmpty()) {
        faultLater(index);
        return;
    }
    g_object_set(m_playbin, "uri", uri.toUtf8().constData(), nullptr);
    // Unclipped: straight to PLAYING (quickest first sound). Clipped: PAUSED
    // first, the clip seek comes once prerolled.
    const bool direct = m_state == PlayState::Playing && !isClipped(index) && m_pendingPosition < 0;
    if (direct) {
        // A short file may be handed over before its preroll is seen here;
        // then its length comes from the cache: asked now, on a worker.
        m_mediaInfo.lookup(m_playlist->entries[index].ref);
        // Planned before the pipeline starts: a short file's about-to-finish
        // comes at once and finds the next play ready (it never waits).
        updatePlan();
    }
    m_gaplessTrim.pushPlay(m_playlist->entries[index].ref); // gapless trim: the stream to come
    const GstStateChangeReturn r =
        gst_element_set_state(m_playbin, direct ? GST_STATE_PLAYING : GST_STATE_PAUSED);
    if (r == GST_STATE_CHANGE_FAILURE) {
        faultLater(index);
    } else if (r != GST_STATE_CHANGE_ASYNC) {
        // No preroll will be announced (not expected for files).
        const quint64 generation = m_generation.load();
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (generation == m_generation.load())
                    onAsyncDone();
            },
            Qt::QueuedConnection);
    }
}

// An entry that neither opens nor fails (a stream that never prerolls) must
// not hold the player: after a while it counts as faulty.
void GstMediaPlayer::onOpenTimeout() {
    if (m_prerolling && m_state == PlayState::Stopped) {
        cancelPreroll();
        return;
    }
    if (m_phase == Phase::Checking) {
        // The file's folder does not answer (a hung share): its worker is
        // left to it, the walk goes on.
        skipEntry(m_open.index, QStringLiteral("文件不可读：无应答"));
        m_pendingPosition = -1;
        openChecked(m_open.index + 1, 1);
        return;
    }
    if (m_phase != Phase::Prerolling && m_phase != Phase::Seeking)
        return;
    entryFaulty(m_open.index, QStringLiteral("打开超时"));
}

void GstMediaPlayer::restartSameEntry(const Play &next) {
    m_open.index = next.index;
    m_open.playNo = next.playNo;
    m_open.fileDuration = m_current.duration;
    m_openedAtMs = nowMs();
    m_openWatchdog.start();
    m_phase = Phase::Seeking;
    if (!seekToClip(m_open.fileDuration))
        openPlay(next.index, next.playNo);
}

bool GstMediaPlayer::seekToClip(double fileDuration) {
    const PlaylistEntry &entry = m_playlist->entries[m_open.index];
    const double start = m_pendingPosition >= 0 ? m_pendingPosition : entry.startSeconds;
    m_pendingPosition = -1;
    double stop = entry.durationSeconds > 0 ? entry.startSeconds + entry.durationSeconds : -1;
    if (fileDuration > 0 && start >= fileDuration)
        return false; // the clip starts after the end of the file
    if (stop >= 0 && start >= stop)
        return false;
    if (fileDuration > 0 && stop > fileDuration)
        stop = -1;
    return gst_element_seek(
        m_playbin, 1.0, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
        GST_SEEK_TYPE_SET, toClock(start), stop >= 0 ? GST_SEEK_TYPE_SET : GST_SEEK_TYPE_END,
        stop >= 0 ? toClock(stop) : 0);
}

void GstMediaPlayer::entryOpened() {
    m_phase = Phase::Running;
    m_passOpened = true;
    m_openWatchdog.stop();
    m_current = mediaFor(m_open.index, m_open.fileDuration);
    m_currentPlayNo = m_open.playNo;
    if (m_prerolling && m_state == PlayState::Stopped)
        return; // opened ahead, paused: play() announces it
    announceOpened();
}

void GstMediaPlayer::announceOpened() {
    if (m_open.announce)
        postOpen(OpenState::MediaOpen);
    if (!m_announced) {
        m_announced = true;
        postStatus();
    }
    if (m_state == PlayState::Playing)
        setPipelineState(GST_STATE_PLAYING);
    updatePlan();
}

void GstMediaPlayer::entryFaulty(int index, const QString &reason) {
    // Some elements (a reused typefind or parser) stay broken after an error.
    m_pipelineBroken = true;
    if (m_prerolling && m_state == PlayState::Stopped) {
        cancelPreroll(); // the start opens it as usual and tells why
        return;
    }
    // The whole entry goes, with its remaining repeats: a broken file
    // repeated endlessly must not keep the player busy. Reported once its
    // file has been looked at.
    if (m_state != PlayState::Playing && m_state != PlayState::Paused)
        return;
    skipFaulty(index, reason);
}

void GstMediaPlayer::endOfPass() {
    // A pass in which an entry played goes on into the next one; one in
    // which nothing could be opened ends, so that the player layer can tell
    // (a region of missing files must not be repeated without end).
    if (m_nextPlaylist && m_passOpened &&
        (m_state == PlayState::Playing || m_state == PlayState::Paused)) {
        enterNextPlaylist();
        openChecked(0, 1);
        return;
    }
    resetPipeline();
    const int last = m_playlist ? m_playlist->count() - 1 : -1;
    const double duration = m_current.index == last ? m_current.duration : 0;
    m_current = mediaFor(last, duration);
    m_state = PlayState::MediaEnded;
    m_announced = false;
    m_passEnded = true;
    m_pendingPosition = -1;
    postStatus(true);
}

bool GstMediaPlayer::isClipped(const Playlist &playlist, int index) {
    const PlaylistEntry &e = playlist.entries[index];
    return e.startSeconds > 0 || e.durationSeconds > 0;
}

} // namespace kolva
