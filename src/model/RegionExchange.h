#pragma once
// Text forms in which the task editor, the region editors and the song clip
// dialog hand songs to each other.
//
// One song: "Repeat|StartTime|Duration|SongFile" - Repeat in decimal, the clip
// times "HH:MM:SS" or empty, the path last. A plain file without clip or repeat
// reads "0|||/music/a.mp3".
//
// The list of a region: element 0 is the number N of songs in decimal ("0" and
// nothing else for no songs), elements 1..N one song each.
//
// Nothing is escaped. A path may hold "|" on Linux: the path is the last field
// and takes everything after the third "|", so it comes back unchanged. The
// clip times never hold "|" (they are checked clock times or empty).

#include <QString>
#include <QStringList>
#include <QVector>

#include "model/Task.h"

namespace kolva {

// "Repeat|StartTime|Duration|SongFile" of a song.
QString songText(const Song &song);

// A fresh song (ids zero) from its text: Repeat is the leading number of field
// 0 (0 when none, rounded), missing fields are empty, field 3 is the rest of
// the text after the third "|".
Song songFromText(const QString &text);

// ["N", song 1, ..., song N]; ["0"] for no songs.
QStringList songArray(const QVector<Song> &songs);

// The songs of a list: no songs when element 0 reads 0 (or the list is empty);
// otherwise one song per element after the first, whatever element 0 says.
QVector<Song> songsFromArray(const QStringList &array);

// What the region editor edits, on a fresh record: Title, Volume, Sort,
// Repeat, Duration and the songs' SongFile, Repeat, StartTime and Duration;
// ids and run-time fields are zero.
Region editedFields(const Region &source);

} // namespace kolva
