#pragma once
// Small shared helpers of the window layouts and the playback monitor.

namespace kolva {

// The larger of two values; the first on ties.
template <typename T> T maxOf(T a, T b) {
    return (b > a) ? b : a;
}
// The smaller of two values; the first on ties.
template <typename T> T minOf(T a, T b) {
    return (b < a) ? b : a;
}

// Waits the given milliseconds while the event loop keeps running (timer ticks
// and player events may run inside). 0 or less returns at once.
void delay(double milliseconds);

} // namespace kolva
