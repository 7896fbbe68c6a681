// Construction, the public interface and the event queue of the GStreamer
// player. The bus handling and the walk through the playlist are in
// GstMediaPlayerFlow.cpp, the gapless hand-over in GstMediaPlayerPlan.cpp.
#include "platform/GstMediaPlayer.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QTemporaryFile>
#include <QThreadPool>
#include <QtGlobal>
#include <gst/audio/streamvolume.h>
#include <gst/gst.h>

#include "platform/GstSupport.h"
#include "playback/AsxReader.h"

namespace kolva {

namespace {
// playbin's GstPlayFlags: audio only, with its own volume element (the
// volume property does nothing without SOFT_VOLUME on most sinks).
constexpr int playFlagAudio = 0x00000002;
constexpr int playFlagSoftVolume = 0x00000010;
// A local file opens in milliseconds; one that has not after this long is
// treated as broken.
constexpr int openTimeoutMs = 10000;
// The warm-up preroll is given up (the pipeline back to READY) after this.
constexpr int warmUpTimeoutMs = 2000;
} // namespace

GstMediaPlayer::GstMediaPlayer(MediaInfoCache &mediaInfo, QObject *parent,
                               const QString &sinkDescription)
    : MediaPlayer(parent), m_mediaInfo(mediaInfo) {
    gst::ensureInitialised();
    m_debug = qEnvironmentVariableIsSet("KOLVA_PLAYER_DEBUG");
    m_workers->owner = this;
    m_openWatchdog.setSingleShot(true);
    m_openWatchdog.setInterval(openTimeoutMs);
    connect(&m_openWatchdog, &QTimer::timeout, this, &GstMediaPlayer::onOpenTimeout);
    connect(&m_mediaInfo, &MediaLengths::lengthKnown, this, &GstMediaPlayer::onLengthKnown);
    // Playlist ids stay unique across both players: the object's address
    // seeds the high bits.
    m_nextPlaylistId = (quint64(reinterpret_cast<quintptr>(this)) & 0xffffffffu) << 24 | 1;

    m_sinkDescription =
        sinkDescription.isEmpty() ? qEnvironmentVariable("KOLVA_AUDIO_SINK") : sinkDescription;
    m_outputRetry.setInterval(outputRetryMs);
    connect(&m_outputRetry, &QTimer::timeout, this, &GstMediaPlayer::retryRealOutput);
    m_sink = makeRealOutput(&m_sinkWarning);
    if (!m_sinkWarning.isEmpty()) {
        qWarning("kolva player: %s", qUtf8Printable(m_sinkWarning));
        setSilent(true, m_sinkWarning);
    }

    m_playbin = gst_element_factory_make("playbin", nullptr);
    if (!m_playbin) {
        qWarning("kolva player: GStreamer playbin is missing; nothing can be played");
        return;
    }
    gst_object_ref_sink(m_playbin);
    GstElement *videoSink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(m_playbin, "flags", playFlagAudio | playFlagSoftVolume, "audio-sink", m_sink,
                 nullptr);
    if (videoSink)
        g_object_set(m_playbin, "video-sink", videoSink, nullptr);
    m_gaplessTrim.install(m_playbin); // gapless trim: told each play below

    GstBus *bus = gst_element_get_bus(m_playbin);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus *, GstMessage *message, gpointer self) {
            return GstBusSyncReply(busSyncHandler(message, self));
        },
        this, nullptr);
    gst_object_unref(bus);
    g_signal_connect(m_playbin, "about-to-finish", G_CALLBACK(&GstMediaPlayer::onAboutToFinish),
                     this);
    applyVolume();
    gst_element_set_state(m_playbin, GST_STATE_READY);
}

GstMediaPlayer::~GstMediaPlayer() {
    {
        QMutexLocker lock(&m_workers->mutex);
        m_workers->owner = nullptr;
    }
    if (m_playbin) {
        // NULL joins every streaming thread: no handler runs after this.
        gst_element_set_state(m_playbin, GST_STATE_NULL);
        GstBus *bus = gst_element_get_bus(m_playbin);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        g_signal_handlers_disconnect_by_data(m_playbin, this);
        gst_object_unref(m_playbin);
    }
    if (m_sink)
        gst_object_unref(m_sink);
}

PlaylistPtr GstMediaPlayer::newPlaylist(const QString &name, const QString &filePath) {
    return AsxReader::readPlaylist(name, filePath, m_nextPlaylistId++);
}

PlaylistPtr GstMediaPlayer::newPlaylistFromText(const QString &name, const QByteArray &asxText) {
    return AsxReader::parsePlaylist(name, asxText, m_nextPlaylistId++);
}

void GstMediaPlayer::preroll(PlaylistPtr playlist) {
    if (!playlist || playlist->count() == 0 || !m_playbin)
        return;
    if (m_state != PlayState::Stopped && m_state != PlayState::MediaEnded)
        return;      // only an idle player opens ahead
    resetPipeline(); // (a warm-up or an older preroll)
    m_events.clear();
    m_playlist = std::move(playlist);
    m_nextPlaylist.reset();
    m_state = PlayState::Stopped;
    m_announced = false;
    m_passEnded = false;
    m_passOpened = false;
    m_pendingPosition = -1;
    m_current = mediaFor(0, 0);
    askLengthsAhead(m_playlist.get());
    m_prerolling = true;
    openChecked(0, 1);
}

void GstMediaPlayer::cancelPreroll() {
    if (!m_prerolling)
        return;
    m_prerolling = false;
    if (m_state == PlayState::Stopped)
        resetPipeline();
}

void GstMediaPlayer::setCurrentPlaylist(PlaylistPtr playlist) {
    if (m_prerolling && playlist && playlist == m_playlist) {
        // The playlist opened ahead: it stays open, only the event is new.
        m_events.clear();
        m_state = PlayState::Stopped;
        postOpen(OpenState::PlaylistChanged);
        return;
    }
    m_prerolling = false;
    resetPipeline();
    m_events.clear(); // events of the old playlist are stale now
    m_playlist = std::move(playlist);
    m_nextPlaylist.reset();
    m_passOpened = false;
    m_state = PlayState::Stopped;
    m_announced = false;
    m_passEnded = false;
    m_pendingPosition = -1;
    m_current = m_playlist ? mediaFor(0, 0) : Media();
    askLengthsAhead(m_playlist.get());
    postOpen(OpenState::PlaylistChanged);
}

void GstMediaPlayer::setNextPlaylist(PlaylistPtr next) {
    m_nextPlaylist = std::move(next);
    askLengthsAhead(m_nextPlaylist.get());
    {
        // What was planned after the pass's end is no longer what comes.
        QMutexLocker lock(&m_planMutex);
        while (!m_plan.empty() && m_plan.back().playlist != m_playlist)
            m_plan.pop_back();
        if (m_planCandidate && m_planCandidate->playlist != m_playlist)
            m_planCandidate.reset();
    }
    updatePlan();
}

void GstMediaPlayer::enterNextPlaylist() {
    m_playlist = std::move(m_nextPlaylist);
    m_nextPlaylist.reset();
    m_passOpened = false;
    m_passEnded = false;
    m_current = mediaFor(0, 0);
    askLengthsAhead(m_playlist.get());
    postOpen(OpenState::PlaylistChanged);
}

void GstMediaPlayer::play() {
    if (!m_playlist)
        return;
    if (m_state == PlayState::Playing)
        return;
    if (m_state == PlayState::Paused) {
        m_state = PlayState::Playing;
        if (m_phase == Phase::Running)
            setPipelineState(GST_STATE_PLAYING);
        if (m_announced)
            postStatus();
        return;
    }
    if (m_prerolling) {
        // Opened ahead: it starts now (or as soon as its open is done).
        m_prerolling = false;
        m_state = PlayState::Playing;
        m_quickEnds = 0;
        if (m_phase == Phase::Running)
            announceOpened();
        return;
    }
    // From Stopped or MediaEnded: a new run through the playlist.
    int start = 0;
    if (!m_passEnded && m_current.playlistId == m_playlist->id && m_current.index > 0)
        start = m_current.index;
    m_state = PlayState::Playing;
    m_announced = false;
    m_passEnded = false;
    m_passOpened = false;
    m_quickEnds = 0;
    openChecked(start, 1);
}

void GstMediaPlayer::pause() {
    if (m_state != PlayState::Playing)
        return;
    m_state = PlayState::Paused;
    if (m_phase != Phase::Idle && m_phase != Phase::WarmingUp && m_phase != Phase::Checking)
        setPipelineState(GST_STATE_PAUSED); // (a checked entry opens paused)
    if (m_announced)
        postStatus();
}

void GstMediaPlayer::stop() {
    cancelPreroll();
    if (m_state == PlayState::Stopped)
        return;
    if (m_state == PlayState::MediaEnded) {
        m_state = PlayState::Stopped;
        return;
    }
    resetPipeline();
    m_nextPlaylist.reset();
    m_state = PlayState::Stopped;
    m_announced = false;
    m_pendingPosition = -1;
    postStatus();
}

double GstMediaPlayer::currentPosition() const {
    if (m_phase == Phase::Idle || m_phase == Phase::WarmingUp || !m_playbin)
        return 0;
    if (m_phase != Phase::Running) {
        if (m_pendingPosition >= 0)
            return m_pendingPosition;
        return m_playlist && m_open.index >= 0 && m_open.index < m_playlist->count()
                   ? m_playlist->entries[m_open.index].startSeconds
                   : 0;
    }
    gint64 position = 0;
    if (!gst_element_query_position(m_playbin, GST_FORMAT_TIME, &position) || position < 0)
        return 0;
    return double(position) / double(GST_SECOND);
}

void GstMediaPlayer::setCurrentPosition(double seconds) {
    if (m_phase == Phase::Idle || m_phase == Phase::WarmingUp || !m_playbin || !m_playlist)
        return;
    seconds = qMax(0.0, seconds);
    const double old = currentPosition();
    if (m_phase != Phase::Running) {
        m_pendingPosition = seconds; // applied by the opening seek
        postPosition(old, seconds);
        return;
    }
    bool handedOver = false;
    {
        QMutexLocker lock(&m_planMutex);
        handedOver = !m_handedOver.empty();
    }
    if (handedOver) {
        // The next file is already queued in playbin; reopen the entry at
        // the wanted position instead of seeking under it.
        m_pendingPosition = seconds;
        openPlay(m_current.index, m_currentPlayNo);
    } else {
        // Messages from before the seek (a pending EOS) no longer apply.
        m_generation.fetch_add(1);
        const bool ok = gst_element_seek(m_playbin, 1.0, GST_FORMAT_TIME,
                                         GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                         GST_SEEK_TYPE_SET, gint64(seconds * double(GST_SECOND)),
                                         GST_SEEK_TYPE_NONE, gint64(GST_CLOCK_TIME_NONE));
        if (!ok)
            faultLater(m_current.index);
    }
    postPosition(old, seconds);
}

void GstMediaPlayer::setVolume(int volume) {
    m_volume = qBound(0, volume, 100);
    applyVolume();
}

void GstMediaPlayer::applyVolume() {
    if (!m_playbin)
        return;
    // 0-100 is a perceived loudness scale, as the original control's was.
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(m_playbin), GST_STREAM_VOLUME_FORMAT_CUBIC,
                                 m_volume / 100.0);
}

Media GstMediaPlayer::newMedia(const QString &filePath) {
    Media m;
    m.sourceURL = filePath;
    m.name = QFileInfo(filePath).completeBaseName();
    // Never blocks: a length not known yet is 0 and is being found out.
    m.duration = m_mediaInfo.lookup(filePath).value_or(0);
    return m;
}

void GstMediaPlayer::warmUp(const QStringList &extensions) {
    // Loading a plugin can take ~150 ms (libav): on a worker thread, the
    // registry is thread-safe. A play meanwhile only waits for a plugin it
    // needs itself, on its streaming thread.
    m_workers->loading.fetch_add(1);
    QThreadPool::globalInstance()->start([extensions, workers = m_workers] {
        const QStringList missing = gst::warmUpDecoders(extensions);
        if (!missing.isEmpty())
            qInfo("kolva player: not installed: %s",
                  qUtf8Printable(missing.join(QLatin1Char(' '))));
        QMutexLocker lock(&workers->mutex);
        // The count goes down on the UI thread (no owner: no one counts).
        if (GstMediaPlayer *owner = workers->owner)
            QMetaObject::invokeMethod(owner, &GstMediaPlayer::prerollForWarmUp,
                                      Qt::QueuedConnection);
    });
}

// UI thread, once a warm-up's plugins are loaded.
void GstMediaPlayer::prerollForWarmUp() {
    m_workers->loading.fetch_sub(1);
    if (!m_playbin || m_phase != Phase::Idle || m_state != PlayState::Stopped)
        return;
    // One preroll of a tiny silent WAV through this player's own playbin
    // builds its decoder lists and opens the sink, which the first real
    // play would otherwise pay for (~60 ms). Asynchronous: its ASYNC_DONE or
    // error comes back through the bus (handleMessage ends it); any reset of
    // the pipeline (a play, a new playlist) ends it as well.
    if (!m_warmUpFile) {
        auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                     QStringLiteral("/kolva-warmup-XXXXXX.wav"));
        if (!file->open())
            return;
        file->write(gst::silentWav(0.05));
        file->flush();
        m_warmUpFile = std::move(file);
    }
    const QString uri = gst::fileUri(m_warmUpFile->fileName());
    g_object_set(m_playbin, "uri", uri.toUtf8().constData(), nullptr);
    m_phase = Phase::WarmingUp;
    if (gst_element_set_state(m_playbin, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        endWarmUp(true);
        return;
    }
    const quint64 generation = m_generation.load();
    QTimer::singleShot(warmUpTimeoutMs, this, [this, generation] {
        if (m_phase == Phase::WarmingUp && generation == m_generation.load())
            endWarmUp(true);
    });
}

void GstMediaPlayer::endWarmUp(bool failed) {
    if (m_phase != Phase::WarmingUp)
        return;
    m_pipelineBroken = m_pipelineBroken || failed;
    resetPipeline(); // READY; ends the warm-up, what it posted is stale now
}

GstElement *GstMediaPlayer::sinkElement(const char *name) const {
    if (!m_sink)
        return nullptr;
    if (GST_IS_BIN(m_sink))
        return gst_bin_get_by_name(GST_BIN(m_sink), name);
    if (g_strcmp0(GST_OBJECT_NAME(m_sink), name) == 0)
        return GST_ELEMENT(gst_object_ref(m_sink));
    return nullptr;
}

Media GstMediaPlayer::mediaFor(int index, double duration) const {
    Media m = m_playlist ? m_playlist->item(index) : Media();
    m.duration = duration;
    m.name = QFileInfo(m.sourceURL).completeBaseName();
    return m;
}

void GstMediaPlayer::setPipelineState(int state) {
    if (!m_playbin)
        return;
    if (gst_element_set_state(m_playbin, GstState(state)) == GST_STATE_CHANGE_FAILURE &&
        m_phase != Phase::Idle && m_phase != Phase::WarmingUp)
        faultLater(m_phase == Phase::Running ? m_current.index : m_open.index);
}

void GstMediaPlayer::postStatus(bool endsPass) {
    Event event{EventKind::Status};
    event.playState = m_state; // the state when it arose, not when delivered
    event.endsPass = endsPass;
    post(event);
}

void GstMediaPlayer::postOpen(OpenState state) {
    Event event{EventKind::OpenState};
    event.openState = state;
    post(event);
}

void GstMediaPlayer::postPosition(double oldPosition, double newPosition) {
    Event event{EventKind::Position};
    event.oldPosition = oldPosition;
    event.newPosition = newPosition;
    post(event);
}

void GstMediaPlayer::post(Event event) {
    m_events.push_back(event);
    if (!m_deliveryScheduled) {
        m_deliveryScheduled = true;
        QMetaObject::invokeMethod(this, &GstMediaPlayer::deliverNext, Qt::QueuedConnection);
    }
}

void GstMediaPlayer::deliverNext() {
    m_deliveryScheduled = false;
    if (m_events.empty())
        return;
    const Event event = m_events.front();
    m_events.pop_front();
    // The next one goes out on a later pass of the event loop (also when a
    // handler waits in a nested loop).
    if (!m_events.empty()) {
        m_deliveryScheduled = true;
        QMetaObject::invokeMethod(this, &GstMediaPlayer::deliverNext, Qt::QueuedConnection);
    }
    switch (event.kind) {
    case EventKind::OpenState:
        emit openStateChange(event.openState);
        break;
    case EventKind::Status:
        emit statusChange(event.playState);
        break;
    case EventKind::Position:
        emit positionChange(event.oldPosition, event.newPosition);
        break;
    }
    if (event.endsPass && m_state == PlayState::MediaEnded)
        m_state = PlayState::Stopped;
}

} // namespace kolva
