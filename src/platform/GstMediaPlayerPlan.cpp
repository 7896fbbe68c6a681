// Gapless hand-over: the UI thread plans the next plays ahead (before the
// pipeline starts and whenever one starts or is handed over),
// about-to-finish (a streaming thread) hands the first of them to playbin,
// and the STREAM_START of the new group makes it the current entry.
#include <QMetaObject>
#include <gst/gst.h>

#include "platform/GstMediaPlayer.h"
#include "platform/GstSupport.h"
#include "playback/MediaFiles.h"

namespace kolva {

namespace {
// How many plays are kept planned ahead: a hand-over is topped up from the
// UI thread at once, so two would do; a few more cover a row of tiny files.
constexpr size_t planAhead = 3;
// How many of a new playlist's entries have their lengths asked at once.
constexpr int lengthsAskedAhead = 4;
// Shorter files go through EOS (the spin guard counts them there).
constexpr double minHandOverSeconds = 0.05;
// How long about-to-finish may take to find out a length itself.
constexpr int handOverDiscoveryMs = 2000;
} // namespace

// Streaming thread. Gapless: the next URI must be set before returning. It
// takes what the UI thread planned and never waits: a play not planned yet
// goes through EOS (a short reopen) instead.
void GstMediaPlayer::onAboutToFinish(GstElement *playbin, void *data) {
    auto *self = static_cast<GstMediaPlayer *>(data);
    QMutexLocker lock(&self->m_planMutex);
    if (self->m_debug)
        qInfo("kolva player %s: about to finish, %s", qUtf8Printable(self->Tag),
              self->m_plan.empty() ? "nothing ready" : "next is ready");
    Play next;
    if (!self->m_plan.empty()) {
        next = self->m_plan.front();
        self->m_plan.pop_front();
    } else if (self->m_planCandidate) {
        // The next play waits only for its length (a file the cache has not
        // answered for yet): this thread looks at it itself rather than wait
        // for anyone. What is queued in the sink plays on meanwhile.
        next = *self->m_planCandidate;
        self->m_planCandidate.reset();
        lock.unlock();
        const bool good = mediaFileProblem(next.path).isEmpty();
        next.duration = good ? gst::discoverSeconds(next.path, handOverDiscoveryMs) : 0;
        if (next.duration < minHandOverSeconds)
            return; // bad or tiny: EOS follows, where it is passed over or played
        lock.relock();
        // The UI thread may have planned this very play meanwhile (its length
        // came): it is handed over once.
        const auto same = [&](const Play &p) {
            return p.index == next.index && p.playNo == next.playNo;
        };
        if (!self->m_plan.empty() && same(self->m_plan.front()))
            self->m_plan.pop_front();
        if (self->m_planCandidate && same(*self->m_planCandidate))
            self->m_planCandidate.reset();
        ++self->m_candidatesTaken; // a plan worked out meanwhile from before it is stale
    } else {
        return; // EOS follows and the UI thread goes on
    }
    g_object_set(playbin, "uri", next.uri.toUtf8().constData(), nullptr);
    self->m_gaplessTrim.pushPlay(next.path); // gapless trim: the stream to come
    if (self->m_debug)
        qInfo("kolva player %s: handed over entry %d play %d", qUtf8Printable(self->Tag),
              next.index, next.playNo);
    self->m_handedOver.push_back(next);
    lock.unlock();
    QMetaObject::invokeMethod(
        self, [self] { self->updatePlan(); }, Qt::QueuedConnection);
}

void GstMediaPlayer::onStreamStart(GstMessage *message) {
    guint group = 0;
    const bool hasGroup = gst_message_parse_group_id(message, &group);
    if (!m_haveGroup) {
        m_haveGroup = true;
        m_groupId = group;
        return;
    }
    if (!hasGroup || group == m_groupId)
        return; // the same stream again (after a flush)
    m_groupId = group;
    std::optional<Play> started;
    {
        QMutexLocker lock(&m_planMutex);
        if (!m_handedOver.empty()) {
            started = m_handedOver.front();
            m_handedOver.pop_front();
        }
    }
    if (!started)
        return;
    // The handed-over file now sounds: it is the current entry, the first
    // of a new pass when it comes from the next playlist.
    if (started->playlist != m_playlist)
        enterNextPlaylist();
    m_passOpened = true;
    m_current = mediaFor(started->index, started->duration);
    m_currentPlayNo = started->playNo;
    m_openedAtMs = nowMs();
    postOpen(OpenState::MediaOpen);
    updatePlan();
}

// gaplessOnly: the next play as a hand-over, which needs the file's length
// from the cache (never a blocking discovery here): for a hand-over the file
// must be known good, since an error in a handed-over stream would cut the
// sounding one short. One known bad goes through EOS instead, where its check
// passes it over and reports why (never skipped silently here). When only
// the length is not known yet, nothing is planned, *lengthAwaited names the
// file being asked and *candidate is the play that waits for it.
std::optional<GstMediaPlayer::Play> GstMediaPlayer::nextPlayAfter(const Play &base,
                                                                  bool gaplessOnly,
                                                                  QString *lengthAwaited,
                                                                  Play *candidate) {
    const Playlist *list = base.playlist.get();
    if (!list || base.index < 0 || base.index >= list->count())
        return std::nullopt;
    const PlaylistEntry &entry = list->entries[base.index];
    Play next;
    next.playlist = base.playlist;
    if (entry.plays < 0 || base.playNo < entry.plays) {
        next.index = base.index;
        next.playNo = base.playNo + 1;
    } else {
        next.index = base.index + 1;
        next.playNo = 1;
    }
    if (next.index >= list->count()) {
        // The pass is over: the next playlist's first entry follows, when
        // one is set and this was the current pass (never two passes ahead).
        if (!m_nextPlaylist || base.playlist != m_playlist || m_nextPlaylist->count() == 0)
            return std::nullopt;
        next.playlist = m_nextPlaylist;
        next.index = 0;
        next.playNo = 1;
    }
    next.path = next.playlist->entries[next.index].ref;
    next.uri = gst::fileUri(next.path);
    if (!gaplessOnly)
        return next;
    if (isClipped(*next.playlist, next.index) || next.uri.isEmpty())
        return std::nullopt; // a clip needs a seek: done after EOS
    const std::optional<double> length = m_mediaInfo.lookup(next.path);
    if (!length) {
        if (lengthAwaited)
            *lengthAwaited = next.path; // asked; planned again once it is known
        if (candidate)
            *candidate = next;
        return std::nullopt;
    }
    next.duration = *length;
    if (next.duration < minHandOverSeconds)
        return std::nullopt; // unplayable, or tiny (the EOS path's spin guard)
    return next;
}

void GstMediaPlayer::updatePlan() {
    if (!m_playlist)
        return;
    // The plan goes on from its last play, else from the last one handed
    // over, else from the one sounding (or opening straight into PLAYING).
    // Only the UI thread adds to the plan and resets it; about-to-finish
    // only takes from its front, so the back stays a valid base.
    Play base;
    size_t planned = 0;
    quint64 taken = 0;
    {
        QMutexLocker lock(&m_planMutex);
        planned = m_plan.size();
        taken = m_candidatesTaken;
        if (!m_plan.empty()) {
            base = m_plan.back();
        } else if (!m_handedOver.empty()) {
            base = m_handedOver.back();
        } else if (m_phase == Phase::Running ||
                   (m_phase == Phase::Prerolling && !isClipped(m_open.index) &&
                    m_pendingPosition < 0)) {
            base = currentPlay(); // (a file opening straight into PLAYING)
        } else {
            return; // a clip: planned once its seek is done
        }
    }
    QString awaited;
    std::optional<Play> candidate;
    std::deque<Play> more;
    while (planned + more.size() < planAhead) {
        Play waiting;
        const std::optional<Play> next = nextPlayAfter(base, true, &awaited, &waiting);
        if (!next) {
            if (!awaited.isEmpty())
                candidate = waiting;
            break;
        }
        more.push_back(*next);
        base = *next;
    }
    m_planAwaits = awaited; // planning goes on when that length is known
    if (m_debug && !more.empty())
        qInfo("kolva player %s: planned up to entry %d play %d", qUtf8Printable(Tag),
              more.back().index, more.back().playNo);
    QMutexLocker lock(&m_planMutex);
    if (m_candidatesTaken != taken) {
        // about-to-finish handed a play over itself while this was worked
        // out: plan again from what it handed over.
        lock.unlock();
        QMetaObject::invokeMethod(
            this, [this] { updatePlan(); }, Qt::QueuedConnection);
        return;
    }
    m_plan.insert(m_plan.end(), more.begin(), more.end());
    m_planCandidate = candidate;
}

GstMediaPlayer::Play GstMediaPlayer::currentPlay() const {
    Play play;
    play.playlist = m_playlist;
    if (m_phase == Phase::Running) {
        play.index = m_current.index;
        play.playNo = m_currentPlayNo;
    } else {
        play.index = m_open.index;
        play.playNo = m_open.playNo;
    }
    return play;
}

// The lengths of a new playlist's first entries are asked at once (on
// workers), so that planning finds them known when the pass starts.
void GstMediaPlayer::askLengthsAhead(const Playlist *playlist) {
    if (!playlist)
        return;
    for (int i = 0; i < playlist->count() && i < lengthsAskedAhead; ++i)
        m_mediaInfo.lookup(playlist->entries[i].ref);
}

// UI thread: an answer of the media-length cache (for anyone's question).
void GstMediaPlayer::onLengthKnown(const QString &path, double seconds) {
    if (m_phase == Phase::Running && m_current.duration <= 0 && seconds > 0 &&
        m_current.sourceURL == path)
        m_current.duration = seconds;
    if (!m_planAwaits.isEmpty() && m_planAwaits == path) {
        m_planAwaits.clear();
        updatePlan();
    }
}

} // namespace kolva
