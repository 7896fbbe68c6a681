#pragma once
// GStreamer set-up shared by the players and the media-info cache: library
// start, the audio-only decoder ranking, output sinks and file URIs. Every
// function may be called any number of times (GStreamer keeps its own
// process-wide registry; nothing here holds state).

#include <QByteArray>
#include <QString>
#include <QStringList>

typedef struct _GstElement GstElement;

namespace kolva::gst {

// gst_init (idempotent) and the audio-only ranking below. Call before
// making any element; the players and the cache do it themselves.
void ensureInitialised();

// Puts every video (and image) decoder at rank NONE so that decodebin never
// plugs one, and registers kolvavideodrop in their place (GstVideoDrop.h):
// a WMV then costs only its audio decoding. Idempotent.
void rankDownVideoDecoders();

// A file URI for a local path (absolute paths are made from relative ones);
// copes with blanks, '#', '%' and non-ASCII names. Empty when none can be made.
QString fileUri(const QString &path);

// The audio output for a player: the given sink description (a
// gst_parse_bin_from_description text, as in KOLVA_AUDIO_SINK) when not
// empty, else autoaudiosink. When the description does not parse or cannot
// be started, or no output device works, a silent sink that keeps real time (fakesink
// sync=true) is used and `warning` says why. The caller owns the
// returned (floating-sunk) reference.
GstElement *makeAudioSink(const QString &description, QString *warning);

// The real-time silent sink used when no output works.
GstElement *makeSilentSink();

// A mono 16-bit 44.1 kHz WAV file's bytes holding this much silence.
QByteArray silentWav(double seconds);

// Loads the plugins and decoders a first play would otherwise load (libav
// costs ~150 ms on first use). Only the decoders of the given file
// extensions (lower case, without the dot) are loaded besides the common
// elements: libav alone adds ~35 MB of resident memory, which a list of
// MP3 and WAV files never needs. Returns the names that could not be made.
QStringList warmUpDecoders(const QStringList &extensions);

// A media file's playable length in seconds (0: no playable sound, or not
// found out within timeoutMs). Blocks the calling thread: never call it on
// the UI thread (the media-length cache's workers and a player's streaming
// thread do).
double discoverSeconds(const QString &path, int timeoutMs);

} // namespace kolva::gst
