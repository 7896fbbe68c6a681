#pragma once
// Short spellings of the records the schedule and player tests build.

#include <QString>
#include <QVector>

#include "model/Task.h"

namespace kolva::test {

struct SongSpec {
    SongSpec(const char *file, int repeat = 0, const QString &start = QString(),
             const QString &duration = QString())
        : file(QString::fromUtf8(file)), repeat(repeat), start(start), duration(duration) {}
    SongSpec(const QString &file, int repeat = 0, const QString &start = QString(),
             const QString &duration = QString())
        : file(file), repeat(repeat), start(start), duration(duration) {}
    QString file;
    int repeat = 0;
    QString start;
    QString duration;
};

inline Region makeRegion(const QString &title, QVector<SongSpec> songs, int repeat = 0,
                         const QString &duration = QString(), int volume = -1) {
    Region r = newRegion();
    r.Title = title;
    r.Repeat = repeat;
    r.Duration = duration;
    r.Volume = volume;
    for (const SongSpec &s : songs) {
        Song song;
        song.SongFile = s.file;
        song.Repeat = s.repeat;
        song.StartTime = s.start;
        song.Duration = s.duration;
        r.Songs.append(song);
    }
    return r;
}

inline Task makeTask(const QString &title, const QString &start, QVector<Region> regions = {}) {
    Task t = newTask();
    t.Title = title;
    t.StartTime = start;
    t.Regions = regions;
    return t;
}

// A region of one song, titled with the song's file.
inline Region song(const QString &file, int repeat = 0, const QString &duration = {}) {
    return makeRegion(file, {{file}}, repeat, duration);
}

} // namespace kolva::test
