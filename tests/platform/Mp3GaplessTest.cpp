// The MP3 header reader on generated files: what LAME and ffmpeg write, and
// files that say nothing (or cannot be read), which play as they decode.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/Mp3Gapless.h"
#include "support/MediaGen.h"

using namespace kolva;
using namespace kolva::test;

namespace {

// A copy of `from`, cut to `bytes` (-1: whole) with `more` appended.
QString copyOf(const QString &from, const QString &to, qint64 bytes, const QString &more = {}) {
    QFile in(from), tail(more), out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    out.write(in.read(bytes < 0 ? in.size() : bytes));
    if (!more.isEmpty() && tail.open(QIODevice::ReadOnly))
        out.write(tail.readAll());
    return to;
}

} // namespace

TEST(Mp3Gapless, ReadsTheLameExtensionAndNothingFromFilesWithout) {
    MediaGen gen;
    QTemporaryDir dir;
    const QList<Tone> tone{{440, 0.5}};
    const qint64 samples = 22050;
    const QString lavc = gen.makeTaggedMp3("gl-lavc", tone, "Lavc59.37");
    ASSERT_FALSE(lavc.isEmpty());
    struct Row {
        const char *what;
        QString path;
        QByteArray encoder; // empty: nothing known
    };
    const QList<Row> rows{
        {"ffmpeg's extension", lavc, "Lavc59.37"},
        {"LAME's, behind a 64 KB ID3v2 tag",
         gen.makeTaggedMp3("gl-lame-id3", tone, "LAME3.100", 64 * 1024), "LAME3.100"},
        {"no Xing/Info frame", gen.make("gl-plain", tone, MediaFormat::Mp3), {}},
        {"an Info frame without the extension", gen.makeTaggedMp3("gl-info", tone, ""), {}},
        {"cut inside the Info frame", copyOf(lavc, dir.filePath("cut.mp3"), 120), {}},
        {"another file's 3 s joined on",
         copyOf(lavc, dir.filePath("joined.mp3"), -1,
                gen.make("gl-long", {{440, 3.0}}, MediaFormat::Mp3)),
         {}},
        {"a WAV", gen.make("gl-wav", tone), {}},
        {"not media", gen.makeCorrupt("gl-junk"), {}},
        {"missing", dir.filePath("none.mp3"), {}},
        {"a folder", dir.path(), {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_FALSE(row.path.isEmpty());
        const Mp3Gapless g = readMp3Gapless(row.path);
        EXPECT_EQ(g.known(), !row.encoder.isEmpty());
        if (!g.known())
            continue;
        EXPECT_EQ(g.encoder, row.encoder);
        EXPECT_EQ(g.sampleRate, 44100);
        EXPECT_EQ(g.samplesPerFrame, 1152);
        EXPECT_EQ(g.totalSamples % 1152, 0);
        EXPECT_EQ(g.dropStart, MediaGen::lameEncoderDelay + mp3DecoderDelay);
        EXPECT_EQ(g.keepSamples(), samples); // exactly the tone
        EXPECT_EQ(g.dropEnd, g.totalSamples - g.dropStart - samples);
    }
}
