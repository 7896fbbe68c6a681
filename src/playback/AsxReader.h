#pragma once
// Reads the ASX 3.0 playlist files the playlist builder writes (and other
// simple ASX files) into a kolva::Playlist. Qt Core only, so the scheduling
// logic and the fake player can use it without GStreamer.
//
// Accepted structure (element and attribute names case-insensitive):
//   <Asx> <Title>..</Title> <Param Name Value/>*
//         ( <Entry>..</Entry> | <Repeat Count="n"> <Entry>..</Entry>* </Repeat> )*
//   <Entry> <Param Name Value/>* <StartTime value/> <Duration value/> <Ref href/>
// REPEAT COUNT n gives n + 1 plays of every entry inside the block (999999999
// or more: endless). Clock texts are "HH:MM:SS" with optional fractional
// seconds ("MM:SS" and "SS" are taken as well). A file that cannot be read or
// is not well-formed gives a playlist without entries; files above
// maxFileBytes are not read at all.

#include <QByteArray>
#include <QString>

#include "playback/MediaPlayer.h"

namespace kolva {

class AsxReader {
public:
    static constexpr qint64 maxFileBytes = 32 * 1024 * 1024;
    static constexpr int maxEntries = 100000;
    static constexpr int maxDepth = 64;
    static constexpr int endlessRepeatCount = 999999999;

    // Parses ASX text. The result has id 0 and an empty name; `ok` tells
    // whether the text was a well-formed ASX document.
    static Playlist parse(const QByteArray &data, bool *ok = nullptr);

    // Reads and parses a file (see the limits above).
    static Playlist readFile(const QString &filePath, bool *ok = nullptr);

    // readFile wrapped for a player: carries the name and the id given.
    static PlaylistPtr readPlaylist(const QString &name, const QString &filePath, quint64 id);
    // parse wrapped for a player: carries the name and the id given.
    static PlaylistPtr parsePlaylist(const QString &name, const QByteArray &data, quint64 id);

    // Seconds of an ASX clock text ("HH:MM:SS[.fff]", "MM:SS", "SS"); -1 when
    // the text is not a clock text.
    static double clockSeconds(const QString &text);
};

} // namespace kolva
