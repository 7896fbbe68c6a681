#pragma once
// The one lenient reading of numbers typed by users or read from files:
// leading blanks skipped, the longest leading number taken ("70%" is 70,
// "-1.5e1x" is -15), no number is 0, rounded to the nearest whole number with
// halves going to the even neighbour, and clamped into the 32-bit range.

#include <QStringView>
#include <cstdint>

namespace kolva {

// True for the ASCII digits 0-9 (not for other scripts' digits).
constexpr bool isDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// True when every character is an ASCII digit (true for the empty text).
bool isDigits(QStringView text);

// The longest leading number as a double (0 when there is none).
double leadingNumber(QStringView text);

// leadingNumber rounded half to even and clamped to int32.
int32_t readNumber(QStringView text);

} // namespace kolva
