// The player's output device: which sink the real output is made of, and
// the move of what plays to another device at the position it reached. The
// silent fallback and its retry are in GstMediaPlayerFlow.cpp; the choice
// of device (and of the system default when one is missing) is
// OutputRouter's.
#include <gst/gst.h>

#include "platform/AudioDevices.h"
#include "platform/GstMediaPlayer.h"
#include "platform/GstSupport.h"

namespace kolva {

GstElement *GstMediaPlayer::makeRealOutput(QString *warning) const {
    if (m_sinkDescription.isEmpty() && !m_outputDevice.isEmpty())
        return gst::makeDeviceSink(m_outputDevice, warning);
    return gst::makeAudioSink(m_sinkDescription, warning);
}

void GstMediaPlayer::setOutputDevice(const QString &stableName) {
    if (!m_sinkDescription.isEmpty() || !m_playbin)
        return; // a fixed output (KOLVA_AUDIO_SINK, tests) is never moved
    QString warning;
    if (stableName == m_outputDevice) {
        // Asked again while silent: the device may be back, try it now
        // rather than at the next retry.
        if (m_silentSink) {
            retryRealOutput();
            return;
        }
        // Asked again while sounding: the device may be gone and the sound
        // server have moved the stream to another one by itself, which is
        // not where it is wanted. Then silence, and the usual retry.
        if (stableName.isEmpty())
            return;
        GstElement *probe = makeRealOutput(&warning);
        if (warning.isEmpty()) {
            gst_object_unref(probe);
            return;
        }
        moveOutput(probe, warning);
        return;
    }
    m_outputDevice = stableName;
    GstElement *sink = makeRealOutput(&warning);
    moveOutput(sink, warning);
}

// Puts `sink` in place (a silent one when `warning` says why) and lets what
// is under way go on there at the position it reached: a sounding play is
// not announced again, one being opened is opened anew, a file check goes on
// and opens on the new sink.
void GstMediaPlayer::moveOutput(GstElement *sink, const QString &warning) {
    const bool silent = !warning.isEmpty();
    if (silent)
        qWarning("kolva player %s: %s", qUtf8Printable(Tag), qUtf8Printable(warning));
    int index = -1;
    int playNo = 1;
    double position = -1;
    bool announce = false;
    if (m_phase == Phase::Running) {
        index = m_current.index;
        playNo = m_currentPlayNo;
        position = currentPosition();
    } else if (m_phase == Phase::Prerolling || m_phase == Phase::Seeking) {
        index = m_open.index;
        playNo = m_open.playNo;
        position = m_pendingPosition;
        // A seek under way has taken its target already: the pipeline
        // tells it.
        gint64 sought = 0;
        if (position < 0 && m_phase == Phase::Seeking &&
            gst_element_query_position(m_playbin, GST_FORMAT_TIME, &sought) && sought > 0)
            position = double(sought) / double(GST_SECOND);
        announce = m_open.announce;
    }
    if (m_phase != Phase::Checking)
        resetPipeline();
    gst_element_set_state(m_playbin, GST_STATE_NULL); // a sink is swapped in NULL only
    g_object_set(m_playbin, "audio-sink", sink, nullptr);
    if (m_sink)
        gst_object_unref(m_sink);
    m_sink = sink;
    setSilent(silent, warning);
    if (index >= 0 && (m_state == PlayState::Playing || m_state == PlayState::Paused)) {
        m_pendingPosition = position > 0 ? position : -1;
        openPlay(index, playNo, OpenOptions{announce, silent});
    }
}

} // namespace kolva
