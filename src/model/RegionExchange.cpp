#include "model/RegionExchange.h"

#include "model/NumberText.h"

namespace kolva {

QString songText(const Song &song) {
    return QString::number(song.Repeat) + QLatin1Char('|') + song.StartTime + QLatin1Char('|') +
           song.Duration + QLatin1Char('|') + song.SongFile;
}

Song songFromText(const QString &text) {
    Song song;
    // Three cuts at most: whatever follows the third "|" is the path.
    qsizetype from = 0;
    QString fields[3];
    for (QString &field : fields) {
        const qsizetype bar = text.indexOf(QLatin1Char('|'), from);
        if (bar < 0) {
            field = text.mid(from);
            from = text.size() + 1;
            break;
        }
        field = text.mid(from, bar - from);
        from = bar + 1;
    }
    song.Repeat = readNumber(fields[0]);
    song.StartTime = fields[1];
    song.Duration = fields[2];
    if (from <= text.size())
        song.SongFile = text.mid(from);
    return song;
}

QStringList songArray(const QVector<Song> &songs) {
    QStringList array;
    array.reserve(songs.size() + 1);
    array << QString::number(songs.size());
    for (const Song &song : songs)
        array << songText(song);
    return array;
}

QVector<Song> songsFromArray(const QStringList &array) {
    QVector<Song> songs;
    if (array.isEmpty() || readNumber(array.first()) == 0)
        return songs;
    songs.reserve(array.size() - 1);
    for (qsizetype i = 1; i < array.size(); ++i)
        songs.append(songFromText(array.at(i)));
    return songs;
}

Region editedFields(const Region &source) {
    Region region;
    region.Title = source.Title;
    region.Volume = source.Volume;
    region.Sort = source.Sort;
    region.Repeat = source.Repeat;
    region.Duration = source.Duration;
    region.Songs.reserve(source.Songs.size());
    for (const Song &given : source.Songs) {
        Song song;
        song.SongFile = given.SongFile;
        song.Repeat = given.Repeat;
        song.StartTime = given.StartTime;
        song.Duration = given.Duration;
        region.Songs.append(song);
    }
    return region;
}

} // namespace kolva
