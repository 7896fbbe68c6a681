#pragma once
// Play days of a task: the weekdays it plays on, and whether it follows the
// holiday calendar (no play on a 休 day; a 班 day counts as a working day).
// Bit 0 is Monday, bit 6 Sunday, as in the task file's seven "0"/"1"
// characters ("1111100" is Monday to Friday).

#include <QDate>
#include <QString>
#include <QStringView>
#include <cstdint>

namespace kolva {

struct Task;
class HolidayCalendar;
struct HolidayEntry;

inline constexpr uint8_t kEveryDay = 0x7F;
inline constexpr uint8_t kWorkdays = 0x1F; // Monday to Friday
inline constexpr uint8_t kWeekend = 0x60;  // Saturday and Sunday

// The bit of an ISO weekday (1 = Monday .. 7 = Sunday).
constexpr uint8_t weekdayBit(int isoWeekday) {
    return uint8_t(1u << (isoWeekday - 1));
}

// Seven "0"/"1" characters; any other text (also empty) is every day.
uint8_t readDays(QStringView text);
// The seven characters of a set of days.
QString daysText(uint8_t days);

// "" for every day, "周一至周五", "周六日", otherwise the days listed in order
// ("一三五"); "" also for no day at all.
QString daysCaption(uint8_t days);

// "周一" .. "周日" of an ISO weekday (1 = Monday).
QString weekdayName(int isoWeekday);

// Whether the task plays on `date` at all (the rest of the due rule, start
// second and enabled state, is in model/DueRule), and what decided it.
struct PlayDay {
    bool plays = true;
    // The calendar entry that decided, when the task follows the calendar and
    // the date is a 休 or 班 day (points into the calendar); else null.
    const HolidayEntry *entry = nullptr;
    // It plays only because the date is a 班 day (its weekday is not one of
    // the task's days).
    bool byWorkday = false;
};
PlayDay playDayOf(const Task &task, const QDate &date, const HolidayCalendar &calendar);
inline bool isPlayDay(const Task &task, const QDate &date, const HolidayCalendar &calendar) {
    return playDayOf(task, date, calendar).plays;
}

} // namespace kolva
