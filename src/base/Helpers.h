#pragma once
// Small shared helpers of the window layouts and the playback monitor.

namespace kolva {

// The smaller of two values; the first on ties.
template <typename T> T minOf(T a, T b) {
    return (b < a) ? b : a;
}

} // namespace kolva
