#pragma once
// Small helpers of the widget tests: mouse clicks sent as events (the
// offscreen platform has no real pointer) and recording a signal.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace kolva::test {

inline void sendMouse(QWidget *widget, QEvent::Type type, Qt::MouseButton button,
                      const QPoint &pos) {
    const QPointF local(pos);
    const QPointF global(widget->mapToGlobal(pos));
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
    QMouseEvent event(type, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void click(QWidget *widget, Qt::MouseButton button, const QPoint &pos) {
    sendMouse(widget, QEvent::MouseButtonPress, button, pos);
    sendMouse(widget, QEvent::MouseButtonRelease, button, pos);
}

inline QApplication &app() {
    return *static_cast<QApplication *>(QCoreApplication::instance());
}

} // namespace kolva::test
