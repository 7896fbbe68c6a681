#include "platform/GstGaplessTrim.h"

#include <algorithm>
#include <deque>
#include <gst/audio/audio.h>
#include <gst/gst.h>
#include <mutex>
#include <string>

#include "platform/Mp3Gapless.h"

namespace kolva::gst {

namespace {

// The cut of one stream, in samples from the start of its file.
struct StreamCut {
    bool active = false;
    int rate = 0;      // the file's rate (the cut is off when the caps differ)
    guint64 from = 0;  // first sample kept
    guint64 until = 0; // first sample dropped at the end
};

// What the filter knows. The queue is shared with the player's threads
// (under `mutex`); the rest is touched only by the streaming thread (the
// sink pad's serialized events and buffers) and by the state change to
// READY, when no streaming thread runs.
struct TrimState {
    std::mutex mutex;
    std::deque<QString> queue;

    bool haveStream = false;
    bool hasGroup = false;
    guint group = 0;
    std::string streamId;
    StreamCut cut;
    int rate = 0; // of the caps
    int bpf = 0;  // bytes per sample frame (all channels), 0: not raw audio
    // Running time that upstream counts and this filter dropped, taken off
    // every segment's base until a flush starts running time over.
    GstClockTime shift = 0;
    GstClockTime startMoved = 0;                 // this stream's segment start moved by
    GstClockTime segmentStart = 0;               // this stream's segment start as sent on
    GstClockTime inputEnd = GST_CLOCK_TIME_NONE; // end of the latest buffer in
};

struct GaplessTrimElement {
    GstElement parent;
    GstPad *sinkpad;
    GstPad *srcpad;
    TrimState *state;
};

struct GaplessTrimClass {
    GstElementClass parent_class;
};

GaplessTrimElement *self(GstObject *parent) {
    return reinterpret_cast<GaplessTrimElement *>(parent);
}

GstClockTime timeOf(guint64 sample, int rate) {
    return gst_util_uint64_scale_int_round(sample, GST_SECOND, rate);
}

// Streaming thread: what the next stream's file says.
StreamCut cutFor(const QString &path) {
    StreamCut cut;
    if (path.isEmpty())
        return cut;
    const Mp3Gapless g = readMp3Gapless(path);
    // GStreamer 1.22's mpegaudioparse applies a LAME encoder's figures
    // itself (and only those: measured with the same figures under "Lavc",
    // "Lavf", "GOGO"); trimming again would cut sound.
    if (!g.known() || g.encoder.startsWith("LAME"))
        return cut;
    cut.active = true;
    cut.rate = g.sampleRate;
    cut.from = guint64(g.dropStart);
    cut.until = guint64(g.dropStart + g.keepSamples());
    return cut;
}

// Whether this stream is cut: it has figures and the caps match them.
bool cutting(const TrimState &s) {
    return s.cut.active && s.bpf > 0 && s.rate == s.cut.rate;
}

// The running time dropped at the end of the stream that ends now.
GstClockTime droppedAtEnd(const TrimState &s) {
    if (!cutting(s) || !GST_CLOCK_TIME_IS_VALID(s.inputEnd))
        return 0;
    const GstClockTime keptEnd = std::max(timeOf(s.cut.until, s.cut.rate), s.segmentStart);
    return s.inputEnd > keptEnd ? s.inputEnd - keptEnd : 0;
}

void onStreamStart(TrimState &s, GstEvent *event) {
    guint group = 0;
    const bool hasGroup = gst_event_parse_group_id(event, &group);
    const gchar *id = nullptr;
    gst_event_parse_stream_start(event, &id);
    const std::string streamId = id ? id : "";
    const bool same =
        s.haveStream && (hasGroup && s.hasGroup ? group == s.group : streamId == s.streamId);
    if (same)
        return; // the same stream again (after a flush)
    if (s.haveStream)
        s.shift += s.startMoved + droppedAtEnd(s);
    s.haveStream = true;
    s.hasGroup = hasGroup;
    s.group = group;
    s.streamId = streamId;
    QString path;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.queue.empty()) {
            path = s.queue.front();
            s.queue.pop_front();
        }
    }
    s.cut = cutFor(path);
    s.startMoved = 0;
    s.segmentStart = 0;
    s.inputEnd = GST_CLOCK_TIME_NONE;
}

GstEvent *adjustedSegment(TrimState &s, GstEvent *event) {
    const GstSegment *in = nullptr;
    gst_event_parse_segment(event, &in);
    if (in->format != GST_FORMAT_TIME)
        return event;
    GstSegment out = *in;
    s.startMoved = 0;
    if (cutting(s) && out.rate > 0) {
        const GstClockTime from = timeOf(s.cut.from, s.cut.rate);
        if (out.start < from && (!GST_CLOCK_TIME_IS_VALID(out.stop) || out.stop > from)) {
            // Running time begins at the first sample kept; stream time stays
            // the file's time.
            s.startMoved = from - out.start;
            out.time += s.startMoved;
            out.start = from;
            out.position = std::max(out.position, from);
        }
    }
    s.segmentStart = out.start;
    out.base = out.base > s.shift ? out.base - s.shift : 0;
    if (s.startMoved == 0 && s.shift == 0)
        return event;
    GstEvent *adjusted = gst_event_new_segment(&out);
    gst_event_set_seqnum(adjusted, gst_event_get_seqnum(event));
    gst_event_set_running_time_offset(adjusted, gst_event_get_running_time_offset(event));
    gst_event_unref(event);
    return adjusted;
}

gboolean sinkEvent(GstPad *pad, GstObject *parent, GstEvent *event) {
    TrimState &s = *self(parent)->state;
    switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_STREAM_START:
        onStreamStart(s, event);
        break;
    case GST_EVENT_CAPS: {
        GstCaps *caps = nullptr;
        gst_event_parse_caps(event, &caps);
        GstAudioInfo info;
        const bool raw = gst_audio_info_from_caps(&info, caps);
        s.rate = raw ? GST_AUDIO_INFO_RATE(&info) : 0;
        s.bpf = raw ? GST_AUDIO_INFO_BPF(&info) : 0;
        break;
    }
    case GST_EVENT_SEGMENT:
        event = adjustedSegment(s, event);
        break;
    case GST_EVENT_FLUSH_STOP:
        s.shift = 0; // running time starts over
        s.startMoved = 0;
        s.inputEnd = GST_CLOCK_TIME_NONE;
        break;
    default:
        break;
    }
    return gst_pad_event_default(pad, parent, event);
}

GstFlowReturn chain(GstPad *, GstObject *parent, GstBuffer *buffer) {
    GaplessTrimElement *trim = self(parent);
    TrimState &s = *trim->state;
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    if (!cutting(s) || !GST_CLOCK_TIME_IS_VALID(pts))
        return gst_pad_push(trim->srcpad, buffer);
    // (A decoder may put out planar audio: mpg123's mono is "non-interleaved".)
    const GstAudioMeta *meta = gst_buffer_get_audio_meta(buffer);
    const guint64 count = meta ? meta->samples : gst_buffer_get_size(buffer) / guint(s.bpf);
    const guint64 first = gst_util_uint64_scale_int_round(pts, s.rate, GST_SECOND);
    const guint64 end = first + count;
    const GstClockTime duration = GST_BUFFER_DURATION(buffer);
    const GstClockTime inputEnd =
        GST_CLOCK_TIME_IS_VALID(duration) ? pts + duration : timeOf(end, s.rate);
    if (!GST_CLOCK_TIME_IS_VALID(s.inputEnd) || inputEnd > s.inputEnd)
        s.inputEnd = inputEnd;
    const guint64 from = std::max(first, s.cut.from);
    const guint64 until = std::min(end, s.cut.until);
    if (from >= until) {
        gst_buffer_unref(buffer); // wholly in the dropped edges
        return GST_FLOW_OK;
    }
    if (from == first && until == end)
        return gst_pad_push(trim->srcpad, buffer);
    buffer = gst_audio_buffer_truncate(buffer, s.bpf, gsize(from - first), gsize(until - from));
    GST_BUFFER_PTS(buffer) = timeOf(from, s.rate);
    GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
    GST_BUFFER_DURATION(buffer) = timeOf(until, s.rate) - timeOf(from, s.rate);
    GST_BUFFER_OFFSET(buffer) = from;
    GST_BUFFER_OFFSET_END(buffer) = until;
    return gst_pad_push(trim->srcpad, buffer);
}

GstStateChangeReturn changeState(GstElement *element, GstStateChange transition) {
    auto *parentClass = GST_ELEMENT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(element)));
    const GstStateChangeReturn result = parentClass->change_state(element, transition);
    if (transition == GST_STATE_CHANGE_PAUSED_TO_READY) {
        // The pads are inactive now: no streaming thread touches the state.
        TrimState &s = *reinterpret_cast<GaplessTrimElement *>(element)->state;
        s.haveStream = false;
        s.cut = StreamCut();
        s.shift = 0;
        s.startMoved = 0;
        s.inputEnd = GST_CLOCK_TIME_NONE;
    }
    return result;
}

void finalize(GObject *object) {
    delete reinterpret_cast<GaplessTrimElement *>(object)->state;
    G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

void classInit(gpointer klass, gpointer) {
    G_OBJECT_CLASS(klass)->finalize = finalize;
    auto *elementClass = GST_ELEMENT_CLASS(klass);
    elementClass->change_state = changeState;
    gst_element_class_set_static_metadata(elementClass, "Gapless trim", "Filter/Audio",
                                          "Drops an MP3's encoder delay and padding", "KOLVA");
    GstCaps *caps = gst_caps_from_string("audio/x-raw");
    gst_element_class_add_pad_template(
        elementClass, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, caps));
    gst_element_class_add_pad_template(
        elementClass, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
    gst_caps_unref(caps);
}

void instanceInit(GTypeInstance *instance, gpointer klass) {
    auto *trim = reinterpret_cast<GaplessTrimElement *>(instance);
    trim->state = new TrimState;
    auto *elementClass = GST_ELEMENT_CLASS(klass);
    trim->sinkpad =
        gst_pad_new_from_template(gst_element_class_get_pad_template(elementClass, "sink"), "sink");
    gst_pad_set_chain_function(trim->sinkpad, chain);
    gst_pad_set_event_function(trim->sinkpad, sinkEvent);
    GST_PAD_SET_PROXY_CAPS(trim->sinkpad);
    GST_PAD_SET_PROXY_ALLOCATION(trim->sinkpad);
    gst_element_add_pad(GST_ELEMENT(trim), trim->sinkpad);
    trim->srcpad =
        gst_pad_new_from_template(gst_element_class_get_pad_template(elementClass, "src"), "src");
    GST_PAD_SET_PROXY_CAPS(trim->srcpad);
    GST_PAD_SET_PROXY_ALLOCATION(trim->srcpad);
    gst_element_add_pad(GST_ELEMENT(trim), trim->srcpad);
}

TrimState *stateOf(GstElement *filter) {
    return filter ? reinterpret_cast<GaplessTrimElement *>(filter)->state : nullptr;
}

} // namespace

bool registerGaplessTrim() {
    if (GstElementFactory *existing = gst_element_factory_find(gaplessTrimName)) {
        gst_object_unref(existing);
        return true;
    }
    GType type = g_type_from_name("KolvaGaplessTrim");
    if (!type)
        type = g_type_register_static_simple(
            GST_TYPE_ELEMENT, "KolvaGaplessTrim", sizeof(GaplessTrimClass), classInit,
            sizeof(GaplessTrimElement), instanceInit, GTypeFlags(0));
    // Rank none: it is never plugged by itself, only set as the filter.
    return gst_element_register(nullptr, gaplessTrimName, GST_RANK_NONE, type);
}

GaplessTrim::~GaplessTrim() {
    if (m_filter)
        gst_object_unref(m_filter);
}

bool GaplessTrim::install(GstElement *playbin) {
    if (m_filter || !playbin || !registerGaplessTrim())
        return m_filter != nullptr;
    GstElement *filter = gst_element_factory_make(gaplessTrimName, nullptr);
    if (!filter)
        return false;
    m_filter = GST_ELEMENT(gst_object_ref_sink(filter));
    g_object_set(playbin, "audio-filter", m_filter, nullptr);
    return true;
}

void GaplessTrim::pushPlay(const QString &path) {
    if (TrimState *s = stateOf(m_filter)) {
        std::lock_guard<std::mutex> lock(s->mutex);
        s->queue.push_back(path);
    }
}

void GaplessTrim::reset() {
    if (TrimState *s = stateOf(m_filter)) {
        std::lock_guard<std::mutex> lock(s->mutex);
        s->queue.clear();
    }
}

int GaplessTrim::queued() const {
    TrimState *s = stateOf(m_filter);
    if (!s)
        return 0;
    std::lock_guard<std::mutex> lock(s->mutex);
    return int(s->queue.size());
}

} // namespace kolva::gst
