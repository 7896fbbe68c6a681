#pragma once
// "kolvavideodrop": an in-process GStreamer element that stands in for every
// video decoder. It takes the encoded video of a WMV (or MP4, ...) and turns
// each frame into a GAP event under fixed raw-video caps, decoding nothing.
// Sound-only playback so costs no video work, and the video stream still
// ends with its file: decodebin sees it drain, so playbin signals
// about-to-finish for a WMV as for an audio file (a stream left without a
// decoder never drains, and the entry after a WMV could not follow
// gaplessly). The discoverer prerolls on the gaps, so lengths stay known.

namespace kolva::gst {

// Registers the element (once per process; later calls do nothing). Returns
// false when it could not be registered.
bool registerVideoDrop();

// The factory name, excluded when video decoders are ranked down.
inline constexpr const char *videoDropName = "kolvavideodrop";

} // namespace kolva::gst
