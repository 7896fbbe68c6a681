#include "model/ClockTime.h"

#include <algorithm>
#include <cmath>

namespace kolva {

int secondOfDay(QStringView text) {
    // The stored form "HH:MM:SS" first: the schedule reads it for every task
    // on every tick.
    if (text.size() == 8 && text[2] == QLatin1Char(':') && text[5] == QLatin1Char(':') &&
        isDigit(text[0]) && isDigit(text[1]) && isDigit(text[3]) && isDigit(text[4]) &&
        isDigit(text[6]) && isDigit(text[7])) {
        const auto two = [&](int i) {
            return (text[i].unicode() - u'0') * 10 + (text[i + 1].unicode() - u'0');
        };
        const int h = two(0), m = two(3), s = two(6);
        return h > 23 || m > 59 || s > 59 ? -1 : h * 3600 + m * 60 + s;
    }
    // Everything from the first "." on is ignored (fractions of a second).
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        text = text.left(dot);
    int values[3] = {0, 0, 0};
    int part = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(':')) {
            if (++part > 2)
                return -1;
        } else if (!isDigit(c)) {
            return -1;
        } else {
            // Anything above 99 is out of range for every part, so the value
            // saturates there instead of overflowing on long digit runs.
            values[part] = std::min(values[part] * 10 + (c.unicode() - u'0'), 1000);
        }
    }
    if (part != 2 || values[0] > 23 || values[1] > 59 || values[2] > 59)
        return -1;
    return values[0] * 3600 + values[1] * 60 + values[2];
}

bool parseTime(const QString &text, QTime *time, QString *normalised) {
    const int second = secondOfDay(text);
    if (second < 0)
        return false;
    const QTime t(second / 3600, second / 60 % 60, second % 60);
    if (time)
        *time = t;
    if (normalised)
        *normalised = formatClock(t);
    return true;
}

int64_t timeToMs(const QString &text) {
    return std::max(secondOfDay(text), 0) * int64_t(1000);
}

QTime timeToDate(const QString &text) {
    const int second = std::max(secondOfDay(text), 0);
    return QTime(second / 3600, second / 60 % 60, second % 60);
}

QString formatMinutesSeconds(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const auto n = static_cast<int64_t>(std::nearbyint(seconds));
    return QStringLiteral("%1:%2")
        .arg(n / 60, 2, 10, QLatin1Char('0'))
        .arg(n % 60, 2, 10, QLatin1Char('0'));
}

QString formatClock(const QTime &time) {
    return QStringLiteral("%1:%2:%3")
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}

} // namespace kolva
