#include "model/ClockTime.h"

#include <cmath>

namespace kolva {

bool isDigits(const QString &text) {
    for (QChar c : text) {
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return false;
    }
    return true;
}

namespace {

// Value of a digit run without overflow: anything above 99 is out of range for
// every part anyway, so the value saturates there.
int partValue(const QString &part) {
    int value = 0;
    for (QChar c : part) {
        value = value * 10 + (c.unicode() - u'0');
        if (value > 1000)
            return 1000;
    }
    return value;
}

} // namespace

bool parseTime(const QString &text, QTime *time, QString *normalised) {
    if (text.isEmpty())
        return false;
    const QString first = text.section(QLatin1Char('.'), 0, 0);
    const QStringList parts = first.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return false;
    int values[3];
    for (int i = 0; i < 3; ++i) {
        if (!isDigits(parts[i]))
            return false;
        values[i] = partValue(parts[i]);
    }
    if (values[0] > 23 || values[1] > 59 || values[2] > 59)
        return false;
    const QTime t(values[0], values[1], values[2]);
    if (time)
        *time = t;
    if (normalised)
        *normalised = formatClock(t);
    return true;
}

int64_t timeToMs(const QString &text) {
    QTime t;
    if (!parseTime(text, &t))
        return 0;
    return int64_t(t.hour()) * 3600000 + int64_t(t.minute()) * 60000 + int64_t(t.second()) * 1000;
}

QTime timeToDate(const QString &text) {
    QTime t;
    if (!parseTime(text, &t))
        return QTime(0, 0, 0);
    return t;
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
