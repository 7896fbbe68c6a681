#include "ui/main/Pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kolva {

namespace {

QPixmap disc(int size, const QColor &color) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color.darker(130), size / 16.0));
    painter.setBrush(color);
    const double m = size / 16.0;
    painter.drawEllipse(QRectF(m, m, size - 2 * m, size - 2 * m));
    return pixmap;
}

} // namespace

QIcon Pictures::dingShi(int index) {
    const int size = 32;
    QPixmap pixmap = disc(size, index == 0 ? QColor(0x2E, 0xA0, 0x43) : QColor(0xD0, 0x3B, 0x3B));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    if (index == 0) {
        QPainterPath triangle;
        triangle.moveTo(12.5, 9);
        triangle.lineTo(23.5, 16);
        triangle.lineTo(12.5, 23);
        triangle.closeSubpath();
        painter.drawPath(triangle);
    } else {
        painter.drawRoundedRect(QRectF(11, 11, 10, 10), 1.5, 1.5);
    }
    return QIcon(pixmap);
}

QIcon Pictures::trayFallback(int index) {
    return QIcon(disc(22, index == 2 ? QColor(0x2E, 0xA0, 0x43) : QColor(0x90, 0x90, 0x90)));
}

} // namespace kolva
