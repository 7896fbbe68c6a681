#include "model/PlayDays.h"

#include "model/HolidayCalendar.h"
#include "model/Task.h"

namespace kolva {

uint8_t readDays(QStringView text) {
    if (text.size() != 7)
        return kEveryDay;
    uint8_t days = 0;
    for (int i = 0; i < 7; ++i) {
        if (text[i] == u'1')
            days |= weekdayBit(i + 1);
        else if (text[i] != u'0')
            return kEveryDay;
    }
    return days;
}

QString daysText(uint8_t days) {
    QString text(7, u'0');
    for (int i = 0; i < 7; ++i) {
        if (days & weekdayBit(i + 1))
            text[i] = u'1';
    }
    return text;
}

namespace {
const char16_t kDayNames[] = u"一二三四五六日";
} // namespace

QString weekdayName(int isoWeekday) {
    if (isoWeekday < 1 || isoWeekday > 7)
        return {};
    return QStringLiteral("周") + QChar(kDayNames[isoWeekday - 1]);
}

QString daysCaption(uint8_t days) {
    days &= kEveryDay;
    if (days == kEveryDay)
        return {};
    if (days == kWorkdays)
        return QStringLiteral("周一至周五");
    if (days == kWeekend)
        return QStringLiteral("周六日");
    QString caption;
    for (int i = 0; i < 7; ++i) {
        if (days & weekdayBit(i + 1))
            caption += QChar(kDayNames[i]);
    }
    return caption;
}

PlayDay playDayOf(const Task &task, const QDate &date, const HolidayCalendar &calendar) {
    const bool byWeekday = date.isValid() && (task.Days & weekdayBit(date.dayOfWeek())) != 0;
    if (task.Holidays) {
        if (const HolidayEntry *entry = calendar.entryOn(date)) {
            if (entry->kind == DayKind::Holiday)
                return {false, entry, false};
            // A 班 day counts as a working day, whatever its weekday.
            const bool plays = (task.Days & kWorkdays) != 0;
            return {plays, entry, plays && !byWeekday};
        }
    }
    return {byWeekday, nullptr, false};
}

} // namespace kolva
