#include "ui/widgets/ClickBar.h"

#include <QMouseEvent>
#include <cmath>

namespace kolva {

ClickBar::ClickBar(QWidget *parent) : QProgressBar(parent) {
    setTextVisible(false);
    setCursor(Qt::PointingHandCursor);
}

void ClickBar::setRangeF(double minimum, double maximum) {
    const auto lo = static_cast<int>(std::llround(minimum * kScale));
    const auto hi = static_cast<int>(std::llround(std::max(minimum, maximum) * kScale));
    setRange(lo, hi);
}

void ClickBar::setValueF(double value) {
    // QProgressBar ignores values outside its range; keep the nearest end so
    // the bar never shows a stale position.
    const auto v = static_cast<int>(std::llround(value * kScale));
    setValue(std::clamp(v, minimum(), maximum()));
}

double ClickBar::clickFraction(int x, int width, double dpi) {
    if (width <= 0)
        return 0;
    const double offset = 120.0 * dpi / 1440.0;
    const double pos = std::clamp(x + offset, 0.0, double(width));
    return pos / width;
}

void ClickBar::mouseReleaseEvent(QMouseEvent *event) {
    QProgressBar::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const int x = static_cast<int>(std::floor(event->position().x()));
    emit leftReleased(clickFraction(x, width(), logicalDpiX()));
}

} // namespace kolva
