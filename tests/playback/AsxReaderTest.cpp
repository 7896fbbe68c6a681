#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "playback/AsxReader.h"

using namespace kolva;

namespace {

// The builder's line layout: CR LF, no declaration, reserved characters in
// paths as character references.
QByteArray builderText() {
    const char *lines[] = {
        "<Asx Version = \"3.0\" >",
        "<Author>KOLVA</Author>",
        "<Title>KOLVA0-2</Title>",
        "<Param Name=\"ParentTaskID\" Value=\"0\" />",
        "<Param Name=\"RegionID\" Value=\"2\" />",
        "<Entry>",
        "<Param Name=\"ParentTaskID\" Value=\"0\" />",
        "<Param Name=\"ParentRegionID\" Value=\"2\" />",
        "<Param Name=\"SongID\" Value=\"5\" />",
        "<Ref href=\"/music/歌 曲#1 &quot;x&quot; &amp; &lt;y&gt;&#9;&#10;&#13;.mp3\"/>",
        "</Entry>",
        "<REPEAT COUNT=\"0\">",
        "<Entry>",
        "<Param Name=\"SongID\" Value=\"6\" />",
        "<StartTime value = \"00:01:02\" />",
        "<Duration value = \"00:00:30\" />",
        "<Ref href=\"/music/b.wav\"/>",
        "</Entry>",
        "</REPEAT>",
        "<REPEAT COUNT=\"999999999\">",
        "<Entry>",
        "<Duration value = \"00:00:01.25\" />",
        "<Ref href=\"/music/c.wma\"/>",
        "</Entry>",
        "</REPEAT>",
        "<repeat count=\"2\"><entry><starttime VALUE=\"1:30.5\"/><REF HREF=\"/d.wmv\"/>"
        "<ref href=\"/ignored\"/></entry></repeat>",
        "</Asx>",
    };
    QByteArray text;
    for (const char *l : lines)
        text += QByteArray(l) + "\r\n";
    return text;
}

} // namespace

TEST(AsxReader, ReadsTheBuilderLayoutWithRepeatsClipsParamsAndEscapes) {
    bool ok = false;
    const Playlist p = AsxReader::parse(builderText(), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(p.name, "KOLVA0-2");
    EXPECT_EQ(p.getItemInfo("ParentTaskID"), "0");
    EXPECT_EQ(p.getItemInfo("RegionID"), "2");
    EXPECT_EQ(p.getItemInfo("SongID"), ""); // entry params stay in the entry
    ASSERT_EQ(p.count(), 4);

    EXPECT_EQ(p.entries[0].ref, QString::fromUtf8("/music/歌 曲#1 \"x\" & <y>\t\n\r.mp3"));
    EXPECT_EQ(p.entries[0].plays, 1);
    EXPECT_EQ(p.entries[0].startSeconds, 0);
    EXPECT_EQ(p.entries[0].durationSeconds, -1);
    EXPECT_EQ(p.entries[0].paramNames, QStringList({"ParentTaskID", "ParentRegionID", "SongID"}));
    EXPECT_EQ(p.entries[0].paramValues, QStringList({"0", "2", "5"}));

    EXPECT_EQ(p.entries[1].plays, 1); // COUNT 0: one play
    EXPECT_DOUBLE_EQ(p.entries[1].startSeconds, 62);
    EXPECT_DOUBLE_EQ(p.entries[1].durationSeconds, 30);
    EXPECT_EQ(p.entries[1].paramValues, QStringList({"6"}));

    EXPECT_EQ(p.entries[2].plays, -1); // endless
    EXPECT_DOUBLE_EQ(p.entries[2].durationSeconds, 1.25);

    EXPECT_EQ(p.entries[3].plays, 3); // lower-case names, COUNT 2
    EXPECT_DOUBLE_EQ(p.entries[3].startSeconds, 90.5);
    EXPECT_EQ(p.entries[3].ref, "/d.wmv"); // first Ref wins

    // A playlist object from a file carries the caller's name and id.
    QTemporaryDir dir;
    const QString path = dir.filePath("template.asx.dll");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(builderText());
    f.close();
    const PlaylistPtr fromFile = AsxReader::readPlaylist("KOLVA0-2", path, 17);
    EXPECT_EQ(fromFile->id, 17u);
    EXPECT_EQ(fromFile->name, "KOLVA0-2");
    EXPECT_EQ(fromFile->count(), 4);
    EXPECT_TRUE(fromFile->item(3).isIdentical(fromFile->item(3)));
    EXPECT_FALSE(fromFile->item(3).isIdentical(fromFile->item(2)));
}

TEST(AsxReader, ClockTextsAndOddValues) {
    EXPECT_DOUBLE_EQ(AsxReader::clockSeconds("01:02:03"), 3723);
    EXPECT_DOUBLE_EQ(AsxReader::clockSeconds("00:00:02.5"), 2.5);
    EXPECT_DOUBLE_EQ(AsxReader::clockSeconds(" 7 "), 7);
    EXPECT_DOUBLE_EQ(AsxReader::clockSeconds("2:05"), 125);
    for (const char *bad : {"", "x", "00:61:00", "1:2:3:4", "00:00:01.x", "-5", "1e3"})
        EXPECT_LT(AsxReader::clockSeconds(bad), 0) << bad;

    bool ok = false;
    const Playlist p = AsxReader::parse("<asx><entry><starttime value=\"junk\"/>"
                                        "<duration value=\"00:00:00\"/><ref href=\"a\"/></entry>"
                                        "<repeat count=\"-4\"><entry/></repeat>"
                                        "<repeat count=\"abc\"><entry><ref href=\"b\"/></entry>"
                                        "</repeat></asx>",
                                        &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(p.count(), 3);
    EXPECT_EQ(p.entries[0].startSeconds, 0);
    EXPECT_EQ(p.entries[0].durationSeconds, -1); // zero length: to the end
    EXPECT_EQ(p.entries[1].plays, 1);            // negative count: once
    EXPECT_EQ(p.entries[1].ref, "");             // kept so indexes match the file
    EXPECT_EQ(p.entries[2].plays, 1);
}

TEST(AsxReader, BrokenMissingAndHostileFilesGiveNoEntriesQuickly) {
    for (const char *bad :
         {"", "<Asx><Entry><Ref href=\"a\"/></Entry>", "<Asx><Entry><Ref href=\"a\"></Entry></Asx>",
          "<Playlist><Entry><Ref href=\"a\"/></Entry></Playlist>", "not xml at all",
          "<Asx><Entry><Ref href=\"a&bogus;\"/></Entry></Asx>"}) {
        bool ok = true;
        const Playlist p = AsxReader::parse(bad, &ok);
        EXPECT_FALSE(ok) << bad;
        EXPECT_EQ(p.count(), 0) << bad;
        EXPECT_TRUE(p.paramNames.isEmpty()) << bad;
    }

    QElapsedTimer timer;
    timer.start();
    // Deeply nested elements.
    QByteArray deep = "<Asx>";
    for (int i = 0; i < 200000; ++i)
        deep += "<Repeat>";
    EXPECT_EQ(AsxReader::parse(deep).count(), 0);
    // An entity expansion bomb.
    QByteArray bomb = "<!DOCTYPE a [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
    for (char c = 'b'; c <= 'k'; ++c)
        bomb += QByteArray("<!ENTITY ") + c + " \"" +
                QByteArray(8, '&').replace("&", QByteArray("&") + char(c - 1) + ";") + "\">";
    bomb += "]><Asx><Entry><Ref href=\"&k;\"/></Entry></Asx>";
    const Playlist bombed = AsxReader::parse(bomb);
    EXPECT_LE(bombed.count() ? bombed.entries[0].ref.size() : 0, 1 << 20);
    // Very many entries are capped.
    QByteArray many = "<Asx>";
    for (int i = 0; i < AsxReader::maxEntries + 10; ++i)
        many += "<Entry><Ref href=\"x\"/></Entry>";
    many += "</Asx>";
    EXPECT_EQ(AsxReader::parse(many).count(), AsxReader::maxEntries);
    EXPECT_LT(timer.elapsed(), 20000);

    QTemporaryDir dir;
    EXPECT_EQ(AsxReader::readFile(dir.filePath("missing.asx")).count(), 0);
    EXPECT_EQ(AsxReader::readFile(dir.path()).count(), 0); // a folder
    const QString big = dir.filePath("big.asx");
    QFile f(big);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<Asx><Entry><Ref href=\"a\"/></Entry>");
    f.resize(AsxReader::maxFileBytes + 100);
    f.close();
    EXPECT_EQ(AsxReader::readFile(big).count(), 0);
    const PlaylistPtr missing = AsxReader::readPlaylist("n", dir.filePath("none"), 3);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->count(), 0);
    EXPECT_EQ(missing->name, "n");
}
