#include "model/NumberText.h"

#include <QByteArray>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kolva {

namespace {
bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n') || c == QChar(0x3000);
}
} // namespace

bool isDigits(QStringView text) {
    return std::all_of(text.begin(), text.end(), isDigit);
}

double leadingNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        qsizetype j = i + 1;
        qsizetype frac = 0;
        while (j < n && isDigit(text[j])) {
            ++j;
            ++frac;
        }
        if (digits + frac > 0) {
            i = j;
            digits += frac;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        qsizetype expDigits = 0;
        while (j < n && isDigit(text[j])) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            end = j;
    }
    // The slice holds only ASCII sign, digits, point and exponent.
    const QByteArray ascii = text.mid(start, end - start).toLatin1();
    // from_chars ignores the process locale (Qt sets LC_ALL from the desktop).
    const char *first = ascii.constData();
    if (*first == '+')
        ++first;
    double value = 0.0;
    const auto result = std::from_chars(first, ascii.constData() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool tiny = ascii.contains("e-") || ascii.contains("E-");
        value = tiny ? 0.0 : ((*first == '-') ? -HUGE_VAL : HUGE_VAL);
    }
    return std::isfinite(value) ? value
                                : (value > 0 ? std::numeric_limits<double>::max()
                                             : -std::numeric_limits<double>::max());
}

int32_t readNumber(QStringView text) {
    const double rounded = std::nearbyint(leadingNumber(text)); // default mode: half to even
    if (rounded >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (rounded <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rounded);
}

} // namespace kolva
