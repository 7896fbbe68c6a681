#pragma once
// Short generated test media: tones of chosen pitches, written as WAV
// directly and turned into other formats by running gst-launch-1.0 (so this
// helper needs no GStreamer library; it is part of kolva_test_support).
//
// Files are kept in a cache folder and reused by later test processes: each
// name carries a hash of what it holds, and every file appears by an atomic
// rename, so parallel test processes never see half a file.

#include <QHash>
#include <QList>
#include <QString>

namespace kolva::test {

// A stretch of sound: a sine of this pitch (0 Hz: silence) for this long.
struct Tone {
    double frequency = 440;
    double seconds = 0.2;
};

enum class MediaFormat { Wav, Mp3, Wma, Wmv, Ogg, Flac, M4a, Opus };

class MediaGen {
public:
    // folder: where generated files are kept (made when missing). Empty: a
    // per-user folder below the system temp folder.
    explicit MediaGen(const QString &folder = QString());

    QString folder() const { return m_folder; }

    // Mono 16-bit PCM WAV, phase-continuous across tones; true on success.
    static bool writeWav(const QString &path, const QList<Tone> &tones, int rate = 44100,
                         double amplitude = 0.5);

    // A file with these tones in the format (cached); empty when the format's
    // encoder is not installed or generation failed.
    QString make(const QString &name, const QList<Tone> &tones,
                 MediaFormat format = MediaFormat::Wav);

    // An MP3 of these tones (as make() makes it) behind an Info frame that
    // carries the gapless figures as LAME and ffmpeg write them: the
    // encoder's delay (lamemp3enc's 576 samples) and the padding to the end
    // of the last frame, under this encoder text ("LAME3.100" as LAME,
    // "Lavc59.37" as ffmpeg; empty: an Info frame without the extension).
    // id3Bytes > 0: an ID3v2 tag of that size in front. Empty on failure.
    QString makeTaggedMp3(const QString &name, const QList<Tone> &tones, const QByteArray &encoder,
                          int id3Bytes = 0);
    static constexpr int lameEncoderDelay = 576;

    // True when gst-launch-1.0 and the format's elements are installed.
    bool canMake(MediaFormat format);

    // Bytes that no demuxer accepts, under a media extension.
    QString makeCorrupt(const QString &name, const QString &extension = QStringLiteral("mp3"));

    static QString extension(MediaFormat format);

private:
    bool hasElement(const QString &element);
    QString pipelineFor(MediaFormat format, const QString &in, const QString &out,
                        double seconds) const;

    QString m_folder;
    QHash<QString, bool> m_elements;
};

} // namespace kolva::test
