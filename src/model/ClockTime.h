#pragma once
// Clock-time texts "HH:MM:SS": times of day (task start and stop) and lengths
// (durations, clip offsets). Stored values are the normalised two-digit form.

#include <QString>
#include <QStringView>
#include <QTime>
#include <cstdint>

#include "model/NumberText.h"

namespace kolva {

// True when the text is a valid clock time. Everything from the first "." on is
// ignored; the rest must be exactly three ":"-separated parts of ASCII digits
// (an empty part is 0) within 0-23, 0-59, 0-59. The out values are written
// only when the text is valid and the pointer is given.
bool parseTime(const QString &text, QTime *time = nullptr, QString *normalised = nullptr);

// The second of the day (0-86399) a clock-time text names, by the rules of
// parseTime; -1 for an invalid text. Allocates nothing: the schedule reads
// every task's start time on every tick.
int secondOfDay(QStringView text);

// Hours*3600000 + minutes*60000 + seconds*1000; 0 for an invalid text.
int64_t timeToMs(const QString &text);

// The time of day; midnight for an invalid text.
QTime timeToDate(const QString &text);

// "mm:ss" of a number of seconds, rounded to the whole second; minutes keep
// growing past 99 (100 minutes show as "100:00").
QString formatMinutesSeconds(double seconds);

// "HH:MM:SS" of a time of day.
QString formatClock(const QTime &time);

} // namespace kolva
