#include "support/MediaGen.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <cmath>
#include <unistd.h>

namespace kolva::test {

namespace {

// Bumped whenever the generated content for the same request changes.
constexpr int generatorVersion = 1;

QStringList elementsFor(MediaFormat format) {
    switch (format) {
    case MediaFormat::Wav:
        return {};
    case MediaFormat::Mp3:
        return {"lamemp3enc"};
    case MediaFormat::Wma:
        return {"avenc_wmav2", "asfmux"};
    case MediaFormat::Wmv:
        return {"avenc_wmav2", "asfmux", "videotestsrc", "avenc_wmv2"};
    case MediaFormat::Ogg:
        return {"vorbisenc", "oggmux"};
    case MediaFormat::Flac:
        return {"flacenc"};
    case MediaFormat::M4a:
        return {"avenc_aac", "mp4mux"};
    case MediaFormat::Opus:
        return {"opusenc", "oggmux"};
    }
    return {};
}

bool runGst(const QString &program, const QStringList &args, int timeoutMs = 30000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

MediaGen::MediaGen(const QString &folder) : m_folder(folder) {
    if (m_folder.isEmpty())
        m_folder = QDir::tempPath() + QStringLiteral("/kolva-test-media-%1").arg(getuid());
    QDir().mkpath(m_folder);
}

QString MediaGen::extension(MediaFormat format) {
    switch (format) {
    case MediaFormat::Wav:
        return "wav";
    case MediaFormat::Mp3:
        return "mp3";
    case MediaFormat::Wma:
        return "wma";
    case MediaFormat::Wmv:
        return "wmv";
    case MediaFormat::Ogg:
        return "ogg";
    case MediaFormat::Flac:
        return "flac";
    case MediaFormat::M4a:
        return "m4a";
    case MediaFormat::Opus:
        return "opus";
    }
    return "bin";
}

bool MediaGen::writeWav(const QString &path, const QList<Tone> &tones, int rate, double amplitude) {
    QByteArray pcm;
    double phase = 0;
    for (const Tone &tone : tones) {
        const qint64 n = qint64(std::llround(tone.seconds * rate));
        for (qint64 i = 0; i < n; ++i) {
            const double v = tone.frequency > 0 ? amplitude * std::sin(phase) : 0.0;
            phase += 2 * M_PI * tone.frequency / rate;
            if (phase > 2 * M_PI)
                phase -= 2 * M_PI;
            const qint16 s = qint16(std::lround(v * 32767));
            pcm.append(char(s & 0xff));
            pcm.append(char((s >> 8) & 0xff));
        }
    }
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + pcm.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(pcm.size());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(header);
    file.write(pcm);
    return file.commit();
}

bool MediaGen::hasElement(const QString &element) {
    const auto it = m_elements.constFind(element);
    if (it != m_elements.constEnd())
        return *it;
    const bool found = runGst("gst-inspect-1.0", {"--exists", element}, 10000);
    m_elements.insert(element, found);
    return found;
}

bool MediaGen::canMake(MediaFormat format) {
    if (format == MediaFormat::Wav)
        return true;
    if (!hasElement("wavparse"))
        return false;
    for (const QString &e : elementsFor(format)) {
        if (!hasElement(e))
            return false;
    }
    return true;
}

QString MediaGen::pipelineFor(MediaFormat format, const QString &in, const QString &out,
                              double seconds) const {
    const QString src = QStringLiteral("filesrc location=%1 ! wavparse ! audioconvert ! "
                                       "audioresample ! ")
                            .arg(in);
    const QString sink = QStringLiteral("filesink location=%1").arg(out);
    switch (format) {
    case MediaFormat::Wav:
        return QString();
    case MediaFormat::Mp3:
        return src + "lamemp3enc target=bitrate bitrate=128 ! " + sink;
    case MediaFormat::Wma:
        return src + "avenc_wmav2 ! asfmux ! " + sink;
    case MediaFormat::Wmv: {
        // A small video track, so the file is a real WMV with both streams.
        const int frames = qMax(1, int(std::ceil(seconds * 5)));
        return "asfmux name=mux ! " + sink + " " + src + "avenc_wmav2 ! mux. " +
               QStringLiteral("videotestsrc num-buffers=%1 ! "
                              "video/x-raw,width=64,height=48,framerate=5/1 ! avenc_wmv2 ! mux.")
                   .arg(frames);
    }
    case MediaFormat::Ogg:
        return src + "vorbisenc ! oggmux ! " + sink;
    case MediaFormat::Flac:
        return src + "flacenc ! " + sink;
    case MediaFormat::M4a:
        return src + "avenc_aac ! mp4mux ! " + sink;
    case MediaFormat::Opus:
        return src + "opusenc ! oggmux ! " + sink;
    }
    return QString();
}

QString MediaGen::make(const QString &name, const QList<Tone> &tones, MediaFormat format) {
    QByteArray key = QByteArray::number(generatorVersion) + extension(format).toUtf8();
    double seconds = 0;
    for (const Tone &t : tones) {
        key += QByteArray::number(t.frequency, 'g', 12) + "/" +
               QByteArray::number(t.seconds, 'g', 12) + ";";
        seconds += t.seconds;
    }
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(10));
    const QString path = QStringLiteral("%1/%2-%3.%4").arg(m_folder, name, hash, extension(format));
    if (QFileInfo(path).size() > 0)
        return path;
    if (!canMake(format))
        return QString();
    if (format == MediaFormat::Wav)
        return writeWav(path, tones) ? path : QString();

    // gst-launch splits its arguments at blanks: work under plain names in
    // the folder and rename into place at the end.
    const QString stem = QStringLiteral("%1/.gen-%2-%3").arg(m_folder, hash).arg(getpid());
    const QString in = stem + ".wav";
    const QString out = stem + "." + extension(format);
    bool ok = writeWav(in, tones);
    if (ok) {
        const QStringList args =
            QStringList{"-q"} + pipelineFor(format, in, out, seconds).split(QLatin1Char(' '));
        ok = runGst("gst-launch-1.0", args) && QFileInfo(out).size() > 0;
    }
    QFile::remove(in);
    if (!ok || !QFile::rename(out, path)) {
        QFile::remove(out);
        return QFileInfo(path).size() > 0 ? path : QString(); // another process won
    }
    return path;
}

namespace {

void putBe32(QByteArray &b, int at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (24 - 8 * i)) & 0xff);
}

// CRC-16 (polynomial 0x8005, reflected) as the LAME extension's own check.
quint16 lameCrc(const QByteArray &b, int length) {
    quint16 crc = 0;
    for (int i = 0; i < length; ++i) {
        crc ^= quint8(b[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xa001 : crc >> 1;
    }
    return crc;
}

} // namespace

QString MediaGen::makeTaggedMp3(const QString &name, const QList<Tone> &tones,
                                const QByteArray &encoder, int id3Bytes) {
    const QString plain = make(name + QStringLiteral("-plain"), tones, MediaFormat::Mp3);
    QFile in(plain);
    if (plain.isEmpty() || !in.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray audio = in.readAll();
    // What make() writes: MPEG-1 layer III at 44.1 kHz, constant bitrate.
    static constexpr int kbps[15] = {0,   32,  40,  48,  56,  64,  80, 96,
                                     112, 128, 160, 192, 224, 256, 320};
    const auto frameSize = [&](int at) {
        const auto *p = reinterpret_cast<const uchar *>(audio.constData() + at);
        if (p[0] != 0xff || (p[1] & 0xfe) != 0xfa || (p[2] >> 4) == 0 || (p[2] >> 4) == 15)
            return 0;
        return 144 * kbps[p[2] >> 4] * 1000 / 44100 + ((p[2] >> 1) & 1);
    };
    qint64 frames = 0;
    int at = 0;
    for (int size; at + 4 <= audio.size() && (size = frameSize(at)) > 0; at += size)
        ++frames;
    qint64 samples = 0;
    for (const Tone &t : tones)
        samples += std::llround(t.seconds * 44100);
    const qint64 padding = frames * 1152 - lameEncoderDelay - samples;
    if (at != audio.size() || frames == 0 || padding < 0 || padding > 4095)
        return QString();

    QByteArray header = audio.left(4);
    header[2] = char(header[2] & ~0x02); // without the padding byte
    QByteArray info(frameSize(0) - ((quint8(audio[2]) >> 1) & 1), '\0');
    info.replace(0, 4, header);
    const int tag = 4 + ((quint8(audio[3]) >> 6) == 3 ? 17 : 32); // after the side info
    info.replace(tag, 4, "Info");
    putBe32(info, tag + 4, 0x0f); // frames, bytes, table of contents, quality
    putBe32(info, tag + 8, quint32(frames));
    putBe32(info, tag + 12, quint32(info.size() + audio.size()));
    for (int i = 0; i < 100; ++i)
        info[tag + 16 + i] = char(i * 256 / 100);
    putBe32(info, tag + 116, 50);
    if (!encoder.isEmpty()) {
        const int lame = tag + 120;
        info.replace(lame, 9, encoder.leftJustified(9, ' ', true));
        const quint32 edges = quint32(lameEncoderDelay) << 12 | quint32(padding);
        info[lame + 21] = char(edges >> 16);
        info[lame + 22] = char(edges >> 8);
        info[lame + 23] = char(edges);
        putBe32(info, lame + 28, quint32(info.size() + audio.size()));
        const quint16 crc = lameCrc(info, lame + 34);
        info[lame + 34] = char(crc >> 8);
        info[lame + 35] = char(crc);
    }
    QByteArray id3;
    if (id3Bytes > 10) {
        // A tag of one padding-only body: "ID3", version 2.4, syncsafe size.
        const int body = id3Bytes - 10;
        id3 = QByteArray("ID3\x04\x00\x00", 6);
        for (int shift = 21; shift >= 0; shift -= 7)
            id3.append(char((body >> shift) & 0x7f));
        id3.append(QByteArray(body, '\0'));
    }
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(id3 + info + audio, QCryptographicHash::Sha1).toHex().left(10));
    const QString path = QStringLiteral("%1/%2-%3.mp3").arg(m_folder, name, hash);
    if (QFileInfo(path).size() > 0)
        return path;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return QString();
    out.write(id3 + info + audio);
    return out.commit() ? path : QString();
}

QString MediaGen::makeCorrupt(const QString &name, const QString &ext) {
    const QString path = QStringLiteral("%1/%2.%3").arg(m_folder, name, ext);
    if (QFileInfo(path).size() > 0)
        return path;
    QByteArray junk;
    quint32 x = 2463534242u; // fixed xorshift: the same bytes every time
    for (int i = 0; i < 64 * 1024; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        junk.append(char(x & 0xff));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(junk);
    return file.commit() ? path : QString();
}

} // namespace kolva::test
