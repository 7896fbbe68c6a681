#pragma once
// What an MP3 file says about its own silent edges: the Xing/Info header of
// its first frame with the LAME extension (written by LAME and by ffmpeg)
// gives the encoder delay and the padding, from which the samples a decoder
// puts out before and after the real sound follow. GStreamer 1.22 drops
// them only for files whose extension names LAME as the encoder; the
// player's trim element (GstGaplessTrim.h) drops them for the others.
//
// Threads: readMp3Gapless opens and reads the file (at most a few KB: the
// ID3v2 tags are skipped by seeking, never read). That is blocking file I/O,
// which may hang on a dead share: call it on a worker or a GStreamer
// streaming thread, never on the UI thread.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace kolva {

struct Mp3Gapless {
    int sampleRate = 0; // 0: nothing known, play the file as it decodes
    int samplesPerFrame = 0;
    qint64 totalSamples = 0; // what a decoder puts out: frames * samplesPerFrame
    int dropStart = 0;       // encoder delay + the decoder's own delay
    int dropEnd = 0;         // padding less the decoder's delay, never negative
    QByteArray encoder;      // the LAME extension's encoder text ("LAME3.100", "Lavc59.37")

    bool known() const { return sampleRate > 0; }
    // Samples of real sound, after dropStart.
    qint64 keepSamples() const { return totalSamples - dropStart - dropEnd; }
};

// The delay every MPEG audio layer III decoder adds (the usual convention of
// LAME's and ffmpeg's gapless figures; GStreamer's mpg123 and libav decoders
// put it out too, measured).
inline constexpr int mp3DecoderDelay = 529;

// Nothing known for a file that is not MPEG audio layer III, has no Xing/Info
// header with a LAME extension in its first frame, says delay and padding 0,
// is much longer than its header counts (files joined together: dropping
// "the padding" there would cut sound), or cannot be read. Blocking: see
// above.
Mp3Gapless readMp3Gapless(const QString &path);

// The same from the bytes that follow the ID3v2 tags (what readMp3Gapless
// reads): the first frame must begin within them. fileRest: the file's size
// from the first of them on (-1: not known, the length is not checked).
Mp3Gapless parseMp3Gapless(const QByteArray &bytes, qint64 fileRest = -1);

} // namespace kolva
