#include "ui/widgets/ClickBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kolva {

ClickBar::ClickBar(QWidget *parent) : QProgressBar(parent) {
    setTextVisible(false);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
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
    emit positionChosen(clickFraction(x, width(), logicalDpiX()));
}

void ClickBar::keyPressEvent(QKeyEvent *event) {
    const double range = maximumF() - minimumF();
    const double shown = range > 0 ? (valueF() - minimumF()) / range : 0;
    double fraction = 0;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        fraction = shown - 0.05;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        fraction = shown + 0.05;
        break;
    case Qt::Key_PageDown:
        fraction = shown - 0.2;
        break;
    case Qt::Key_PageUp:
        fraction = shown + 0.2;
        break;
    case Qt::Key_Home:
        fraction = 0;
        break;
    case Qt::Key_End:
        fraction = 1;
        break;
    default:
        QProgressBar::keyPressEvent(event);
        return;
    }
    emit positionChosen(std::clamp(fraction, 0.0, 1.0));
}

void ClickBar::paintEvent(QPaintEvent *event) {
    QProgressBar::paintEvent(event);
    if (!hasFocus())
        return;
    // A bar draws no focus of its own; a keyboard user must see where it is.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

} // namespace kolva
