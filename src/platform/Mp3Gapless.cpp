#include "platform/Mp3Gapless.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cctype>

namespace kolva {

namespace {

// How much is read after the ID3v2 tags: the largest layer III frame (320
// kbit/s at 32 kHz) is 1,441 bytes, and a little junk may come before it.
constexpr qint64 headWindow = 4096;
// ID3v2 tags in a row that are skipped (some taggers stack them).
constexpr int maxId3Tags = 4;
// What may follow the MPEG stream that its header counts (ID3v1, APE and
// Lyrics3 tags). A file longer than that holds sound the header does not
// count (files joined together): the end cannot be placed.
constexpr qint64 trailingTagsSlack = 16 * 1024;

struct FrameHeader {
    int sampleRate = 0;
    int samplesPerFrame = 0;
    int size = 0;      // bytes, header included
    int tagOffset = 0; // where a Xing/Info header starts
};

quint32 be32(const uchar *p) {
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// A layer III frame header at p (4 bytes), or size 0.
FrameHeader frameHeader(const uchar *p) {
    FrameHeader h;
    if (p[0] != 0xff || (p[1] & 0xe0) != 0xe0)
        return h;
    const int version = (p[1] >> 3) & 3; // 0: MPEG 2.5, 1: reserved, 2: MPEG 2, 3: MPEG 1
    const int layer = (p[1] >> 1) & 3;   // 1: layer III
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return h;
    static constexpr int mpeg1Kbps[15] = {0,   32,  40,  48,  56,  64,  80, 96,
                                          112, 128, 160, 192, 224, 256, 320};
    static constexpr int mpeg2Kbps[15] = {0,  8,  16, 24,  32,  40,  48, 56,
                                          64, 80, 96, 112, 128, 144, 160};
    static constexpr int mpeg1Rates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int kbps = mpeg1 ? mpeg1Kbps[bitrateIndex] : mpeg2Kbps[bitrateIndex];
    h.sampleRate = mpeg1Rates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    h.samplesPerFrame = mpeg1 ? 1152 : 576;
    const int padding = (p[2] >> 1) & 1;
    h.size = (mpeg1 ? 144 : 72) * kbps * 1000 / h.sampleRate + padding;
    const bool mono = (p[3] >> 6) == 3;
    const int sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const int crc = (p[1] & 1) ? 0 : 2;
    h.tagOffset = 4 + crc + sideInfo;
    return h;
}

// The Xing/Info header with its LAME extension in the frame at p: `avail`
// bytes are at hand from p on, `rest` the file has from p on (-1: not known).
Mp3Gapless readTag(const uchar *p, qint64 avail, qint64 rest, const FrameHeader &h) {
    Mp3Gapless none;
    const qint64 end = std::min<qint64>(avail, h.size);
    qint64 at = h.tagOffset;
    if (at + 8 > end)
        return none;
    const QByteArray id(reinterpret_cast<const char *>(p + at), 4);
    if (id != "Xing" && id != "Info")
        return none;
    const quint32 flags = be32(p + at + 4);
    at += 8;
    if (!(flags & 1))
        return none; // no frame count: the end cannot be placed
    if (at + 4 > end)
        return none;
    const quint32 frames = be32(p + at);
    at += 4;
    if (flags & 2) {
        if (at + 4 > end)
            return none;
        if (rest >= 0 && rest > qint64(be32(p + at)) + trailingTagsSlack)
            return none;
        at += 4;
    }
    at += (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
    constexpr int extension = 36; // the LAME extension's length
    if (at + extension > end)
        return none;
    const uchar *lame = p + at;
    for (int i = 0; i < 4; ++i) { // the encoder's name: "LAME", "Lavc", "Lavf", ...
        if (!std::isalnum(lame[i]))
            return none;
    }
    const int delay = (lame[21] << 4) | (lame[22] >> 4);
    const int padding = ((lame[22] & 0x0f) << 8) | lame[23];
    const qint64 total = qint64(frames) * h.samplesPerFrame;
    Mp3Gapless g;
    g.dropStart = delay + mp3DecoderDelay;
    g.dropEnd = std::max(0, padding - mp3DecoderDelay);
    if ((delay == 0 && padding == 0) || total <= qint64(g.dropStart) + g.dropEnd)
        return none; // says nothing, or more to drop than there is
    g.sampleRate = h.sampleRate;
    g.samplesPerFrame = h.samplesPerFrame;
    g.totalSamples = total;
    int nameLength = 0;
    while (nameLength < 9 && lame[nameLength] >= 0x20 && lame[nameLength] < 0x7f)
        ++nameLength;
    g.encoder = QByteArray(reinterpret_cast<const char *>(lame), nameLength).trimmed();
    return g;
}

} // namespace

Mp3Gapless parseMp3Gapless(const QByteArray &bytes, qint64 fileRest) {
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 n = bytes.size();
    for (qint64 i = 0; i + 4 <= n; ++i) {
        const FrameHeader h = frameHeader(data + i);
        if (h.size == 0)
            continue;
        const Mp3Gapless tag = readTag(data + i, n - i, fileRest >= 0 ? fileRest - i : -1, h);
        if (tag.known())
            return tag;
        // A real frame (another header where it ends) without the header:
        // the file has none. Anything else was a stray sync in junk.
        if (i + h.size + 4 <= n && frameHeader(data + i + h.size).size > 0)
            return {};
    }
    return {};
}

Mp3Gapless readMp3Gapless(const QString &path) {
    if (!QFileInfo(path).isFile())
        return {}; // never open a FIFO or a device: that could block
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    qint64 at = 0;
    for (int tags = 0; tags < maxId3Tags; ++tags) {
        if (!file.seek(at))
            return {};
        const QByteArray head = file.read(10);
        if (head.size() < 10 || !head.startsWith("ID3"))
            break;
        const auto *h = reinterpret_cast<const uchar *>(head.constData());
        if ((h[6] | h[7] | h[8] | h[9]) & 0x80)
            return {}; // not a syncsafe size: not a tag we understand
        const qint64 size = qint64(h[6]) << 21 | qint64(h[7]) << 14 | qint64(h[8]) << 7 | h[9];
        const bool footer = h[5] & 0x10;
        at += 10 + size + (footer ? 10 : 0);
    }
    if (!file.seek(at))
        return {};
    return parseMp3Gapless(file.read(headWindow), file.size() - at);
}

} // namespace kolva
