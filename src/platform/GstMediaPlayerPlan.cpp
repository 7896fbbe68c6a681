// Gapless hand-over: the UI thread plans the next play as soon as the current
// one starts, about-to-finish (a streaming thread) hands its URI to playbin,
// and the STREAM_START of the new group makes it the current entry.
#include <QDeadlineTimer>
#include <QMetaObject>
#include <gst/gst.h>

#include "platform/GstMediaPlayer.h"
#include "platform/GstSupport.h"

namespace kolva {

namespace {
// How long about-to-finish waits for the UI thread's plan.
constexpr int maxPlanWaitMs = 1000;
} // namespace

// Streaming thread. Gapless: the next URI must be set before returning. With
// short files this fires as soon as a stream starts, possibly before the UI
// thread has worked out what comes next: then it waits for that (briefly;
// the sink still has the whole stream to play meanwhile).
void GstMediaPlayer::onAboutToFinish(GstElement *playbin, void *data) {
    auto *self = static_cast<GstMediaPlayer *>(data);
    QMutexLocker lock(&self->m_planMutex);
    QDeadlineTimer deadline(maxPlanWaitMs);
    while (!self->m_plan && self->m_planPending && !deadline.hasExpired())
        self->m_planReady.wait(&self->m_planMutex, deadline);
    if (self->m_debug)
        qInfo("kolva player %s: about to finish, %s", qUtf8Printable(self->Tag),
              self->m_plan ? "next is ready" : "nothing ready");
    if (!self->m_plan)
        return; // nothing prepared: EOS follows and the UI thread goes on
    g_object_set(playbin, "uri", self->m_plan->uri.toUtf8().constData(), nullptr);
    if (self->m_debug)
        qInfo("kolva player %s: handed over entry %d play %d", qUtf8Printable(self->Tag),
              self->m_plan->index, self->m_plan->playNo);
    self->m_handedOver.push_back(*self->m_plan);
    self->m_plan.reset();
    self->m_planPending = true; // the UI thread plans the one after
    ++self->m_handOvers;
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
    // The handed-over file now sounds: it is the current entry.
    m_current = mediaFor(started->index, started->duration);
    m_currentPlayNo = started->playNo;
    m_openedAtMs = nowMs();
    postOpen(OpenState::MediaOpen);
    updatePlan();
}

// gaplessOnly: the next play as a hand-over, which needs the file's length
// from the cache (never a blocking discovery). When the length is not known
// yet, nothing is planned and *lengthAwaited names the file being asked.
std::optional<GstMediaPlayer::Play>
GstMediaPlayer::nextPlayAfter(int index, int playNo, bool gaplessOnly, QString *lengthAwaited) {
    if (!m_playlist || index < 0 || index >= m_playlist->count())
        return std::nullopt;
    const PlaylistEntry &entry = m_playlist->entries[index];
    Play next;
    std::optional<double> length;
    const auto lengthOf = [&](int i) {
        length = m_mediaInfo.lookup(m_playlist->entries[i].ref);
        if (!length && lengthAwaited)
            *lengthAwaited = m_playlist->entries[i].ref;
        return length;
    };
    if (entry.plays < 0 || playNo < entry.plays) {
        next.index = index;
        next.playNo = playNo + 1;
    } else {
        next.index = index + 1;
        if (next.index >= m_playlist->count())
            return std::nullopt;
        // For a hand-over the file must be known good: an error in a
        // handed-over stream would cut the sounding one short. One known
        // bad goes through EOS instead, where its check passes it over and
        // reports why (never skipped silently here).
        if (gaplessOnly && !lengthOf(next.index))
            return std::nullopt; // asked; planned again once it is known
        if (gaplessOnly && *length <= 0)
            return std::nullopt;
    }
    if (gaplessOnly && isClipped(next.index))
        return std::nullopt; // needs a seek: done after EOS
    const QString &ref = m_playlist->entries[next.index].ref;
    next.uri = gst::fileUri(ref);
    if (next.uri.isEmpty() && gaplessOnly)
        return std::nullopt;
    if (gaplessOnly && !length && !lengthOf(next.index))
        return std::nullopt; // a repeat whose length is not known yet
    next.duration = gaplessOnly ? *length : 0;
    if (gaplessOnly && next.duration < 0.05)
        return std::nullopt; // tiny files go through the EOS path (spin guard)
    return next;
}

void GstMediaPlayer::updatePlan() {
    if (!m_playlist)
        return;
    Play base;
    quint64 seen = 0;
    {
        QMutexLocker lock(&m_planMutex);
        if (m_plan)
            return;
        seen = m_handOvers;
        if (!m_handedOver.empty()) {
            base = m_handedOver.back();
        } else if (m_phase == Phase::Running) {
            base.index = m_current.index;
            base.playNo = m_currentPlayNo;
        } else if (m_phase == Phase::Prerolling && !isClipped(m_open.index) &&
                   m_pendingPosition < 0) {
            base.index = m_open.index; // started straight in PLAYING
            base.playNo = m_open.playNo;
        } else {
            return; // a clip: planned once its seek is done
        }
    }
    // Outside the lock: about-to-finish may be waiting on it.
    QString awaited;
    const std::optional<Play> next = nextPlayAfter(base.index, base.playNo, true, &awaited);
    QMutexLocker lock(&m_planMutex);
    if (m_handOvers != seen)
        return; // handed over meanwhile: that hand-over asked for a new plan
    m_planAwaits = awaited;
    if (!awaited.isEmpty()) {
        // The length comes by onLengthKnown; about-to-finish waits for the
        // plan meanwhile (up to its limit), as it does for this call.
        m_planPending = true;
        return;
    }
    if (next && !m_plan) {
        m_plan = next;
        if (m_debug)
            qInfo("kolva player %s: planned entry %d play %d", qUtf8Printable(Tag), next->index,
                  next->playNo);
    }
    m_planPending = false;
    m_planReady.wakeAll();
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
