#pragma once
// A song record in one line for the tests of the song texts and editors.

#include "model/Task.h"

namespace kolva::test {

inline Song song(int32_t repeat, const QString &start, const QString &length, const QString &file) {
    Song s;
    s.Repeat = repeat;
    s.StartTime = start;
    s.Duration = length;
    s.SongFile = file;
    return s;
}

} // namespace kolva::test
