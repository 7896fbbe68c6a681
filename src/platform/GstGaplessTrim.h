#pragma once
// "kolvagaplesstrim": an in-process GStreamer audio filter for playbin's
// audio-filter, which drops the silence an MP3 encoder and decoder add at
// both ends of a stream (the encoder delay and the padding, see
// Mp3Gapless.h), so that an MP3 repeated or followed by another file leaves
// no hole. Raw audio passes through unchanged otherwise.
//
// Each stream playbin starts (a STREAM_START of a new group: an open, or a
// gapless hand-over in about-to-finish) takes the next file from a queue the
// player fills in play order, one per play it opens or hands over. The file's
// header is read then, on the streaming thread. A file whose figures
// GStreamer applies itself (an encoder text beginning with "LAME": 1.22's
// mpegaudioparse and its decoders trim those), a file without figures and a
// stream that finds the queue empty play untouched.
//
// The cut goes by each sample's position in the file (from the buffer's
// time), so a seek (a clip, a position change) is trimmed only where it
// reaches into the dropped edges, and a flushing seek takes nothing from the
// queue. Running time stays continuous: a stream whose start is dropped gets
// its segment start moved over it, and the running time that upstream
// counted for dropped samples (streamsynchronizer places the next stream
// after the untrimmed one) is taken off the following segments' base until
// the next flush.

#include <QString>

typedef struct _GstElement GstElement;

namespace kolva::gst {

// Registers the element (once per process; later calls do nothing). Returns
// false when it could not be registered.
bool registerGaplessTrim();

inline constexpr const char *gaplessTrimName = "kolvagaplesstrim";

// A player's hold on the filter of its playbin.
class GaplessTrim {
public:
    GaplessTrim() = default;
    ~GaplessTrim();
    GaplessTrim(const GaplessTrim &) = delete;
    GaplessTrim &operator=(const GaplessTrim &) = delete;

    // UI thread, the playbin in NULL or READY: makes the filter and sets it
    // as the playbin's audio-filter. False when it cannot (nothing is then
    // trimmed; pushPlay and reset do nothing).
    bool install(GstElement *playbin);

    // Any thread (the UI thread before an open's state change, the
    // streaming thread in about-to-finish right after setting the URI): the
    // next new stream plays this file. Only queued here, no file is read.
    void pushPlay(const QString &path);

    // After the pipeline went to READY or NULL: plays queued but not
    // started are forgotten.
    void reset();

    // Plays queued and not started yet (tests).
    int queued() const;

private:
    GstElement *m_filter = nullptr;
};

} // namespace kolva::gst
