#include "platform/GstVideoDrop.h"

#include <gst/gst.h>

namespace kolva::gst {

namespace {

// Encoded video and picture formats whose decoders the player replaces.
constexpr const char *droppedCaps =
    "video/x-wmv; video/x-msmpeg; video/mpeg; video/x-h263; video/x-h264; video/x-h265; "
    "video/x-divx; video/x-xvid; video/x-3ivx; video/x-vp8; video/x-vp9; video/x-av1; "
    "video/x-theora; video/x-flash-video; video/x-jpeg; image/jpeg; image/png";

struct VideoDrop {
    GstElement parent;
    GstPad *sinkpad;
    GstPad *srcpad;
    GstClockTime last; // time of the last frame (frames without one reuse it)
};

struct VideoDropClass {
    GstElementClass parent_class;
};

VideoDrop *self(GstObject *parent) {
    return reinterpret_cast<VideoDrop *>(parent);
}

// Fixed raw caps of the same picture size and rate (what a decoder would
// announce), so that the stream is complete for decodebin.
GstCaps *rawCapsFor(GstCaps *encoded) {
    const GstStructure *s =
        encoded && gst_caps_get_size(encoded) > 0 ? gst_caps_get_structure(encoded, 0) : nullptr;
    int width = 16, height = 16, num = 0, den = 1;
    if (s) {
        gst_structure_get_int(s, "width", &width);
        gst_structure_get_int(s, "height", &height);
        gst_structure_get_fraction(s, "framerate", &num, &den);
    }
    return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", "width", G_TYPE_INT,
                               width > 0 ? width : 16, "height", G_TYPE_INT,
                               height > 0 ? height : 16, "framerate", GST_TYPE_FRACTION, num,
                               den > 0 ? den : 1, nullptr);
}

GstFlowReturn chain(GstPad *, GstObject *parent, GstBuffer *buffer) {
    VideoDrop *drop = self(parent);
    GstClockTime ts = GST_BUFFER_PTS(buffer);
    if (!GST_CLOCK_TIME_IS_VALID(ts))
        ts = GST_BUFFER_DTS(buffer);
    if (!GST_CLOCK_TIME_IS_VALID(ts))
        ts = drop->last; // a gap is still sent: sinks preroll on it
    drop->last = ts;
    const GstClockTime duration = GST_BUFFER_DURATION(buffer);
    gst_buffer_unref(buffer);
    gst_pad_push_event(drop->srcpad, gst_event_new_gap(ts, duration));
    return GST_FLOW_OK; // downstream being unlinked is no reason to stop the file
}

gboolean sinkEvent(GstPad *pad, GstObject *parent, GstEvent *event) {
    if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps *encoded = nullptr;
        gst_event_parse_caps(event, &encoded);
        GstCaps *raw = rawCapsFor(encoded);
        gst_event_unref(event);
        gst_pad_push_event(self(parent)->srcpad, gst_event_new_caps(raw));
        gst_caps_unref(raw);
        return TRUE;
    }
    return gst_pad_event_default(pad, parent, event);
}

void classInit(gpointer klass, gpointer) {
    auto *elementClass = GST_ELEMENT_CLASS(klass);
    gst_element_class_set_static_metadata(elementClass, "Video dropper", "Codec/Decoder/Video",
                                          "Turns encoded video into gaps for sound-only playback",
                                          "KOLVA");
    GstCaps *sinkCaps = gst_caps_from_string(droppedCaps);
    gst_element_class_add_pad_template(
        elementClass, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, sinkCaps));
    gst_caps_unref(sinkCaps);
    GstCaps *srcCaps = gst_caps_from_string("video/x-raw");
    gst_element_class_add_pad_template(
        elementClass, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, srcCaps));
    gst_caps_unref(srcCaps);
}

void instanceInit(GTypeInstance *instance, gpointer klass) {
    auto *drop = reinterpret_cast<VideoDrop *>(instance);
    drop->last = 0;
    auto *elementClass = GST_ELEMENT_CLASS(klass);
    drop->sinkpad =
        gst_pad_new_from_template(gst_element_class_get_pad_template(elementClass, "sink"), "sink");
    gst_pad_set_chain_function(drop->sinkpad, chain);
    gst_pad_set_event_function(drop->sinkpad, sinkEvent);
    gst_element_add_pad(GST_ELEMENT(drop), drop->sinkpad);
    drop->srcpad =
        gst_pad_new_from_template(gst_element_class_get_pad_template(elementClass, "src"), "src");
    gst_pad_use_fixed_caps(drop->srcpad);
    gst_element_add_pad(GST_ELEMENT(drop), drop->srcpad);
}

} // namespace

bool registerVideoDrop() {
    if (GstElementFactory *existing = gst_element_factory_find(videoDropName)) {
        gst_object_unref(existing);
        return true;
    }
    // The GLib type system is process-wide; the type is made once, by name.
    GType type = g_type_from_name("KolvaVideoDrop");
    if (!type)
        type = g_type_register_static_simple(GST_TYPE_ELEMENT, "KolvaVideoDrop",
                                             sizeof(VideoDropClass), classInit, sizeof(VideoDrop),
                                             instanceInit, GTypeFlags(0));
    return gst_element_register(nullptr, videoDropName, GST_RANK_PRIMARY + 1, type);
}

} // namespace kolva::gst
