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

QString daysCaption(uint8_t days) {
    days &= kEveryDay;
    if (days == kEveryDay)
        return {};
    if (days == kWorkdays)
        return QStringLiteral("周一至周五");
    if (days == kWeekend)
        return QStringLiteral("周六日");
    static const char16_t names[] = u"一二三四五六日";
    QString caption;
    for (int i = 0; i < 7; ++i) {
        if (days & weekdayBit(i + 1))
            caption += QChar(names[i]);
    }
    return caption;
}

bool isPlayDay(const Task &task, const QDate &date, const HolidayCalendar &calendar) {
    if (task.Holidays) {
        switch (calendar.kindOf(date)) {
        case DayKind::Holiday:
            return false;
        case DayKind::Workday:
            return (task.Days & kWorkdays) != 0;
        case DayKind::Ordinary:
            break;
        }
    }
    return (task.Days & weekdayBit(date.dayOfWeek())) != 0;
}

} // namespace kolva
