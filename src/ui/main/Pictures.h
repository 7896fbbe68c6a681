#pragma once
// The window's own small pictures that are drawn rather than read from the
// application folder: the two schedule switch pictures (picDingShi) and the
// stand-ins for tray pictures that cannot be read.

#include <QIcon>

namespace kolva {

class Pictures {
public:
    // picDingShi: 0 = start (green, play mark), 1 = stop (red, square).
    static QIcon dingShi(int index);
    // A tray picture drawn when its file cannot be read: index 2 running
    // (green), anything else stopped (grey).
    static QIcon trayFallback(int index);
};

} // namespace kolva
