#include "ui/widgets/WheelGuard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>

namespace kolva {

WheelGuard::WheelGuard(QCoreApplication &app, QObject *parent) : QObject(parent) {
    app.installEventFilter(this);
}

bool WheelGuard::takesWheelAsValue(const QObject *object) {
    return qobject_cast<const QComboBox *>(object) ||
           qobject_cast<const QAbstractSpinBox *>(object) ||
           (qobject_cast<const QAbstractSlider *>(object) &&
            !qobject_cast<const QScrollBar *>(object));
}

bool WheelGuard::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::Polish && event->type() != QEvent::Wheel)
        return false;
    if (!watched->isWidgetType() || !takesWheelAsValue(watched))
        return false;
    auto *control = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::Polish) {
        if (control->focusPolicy() == Qt::WheelFocus)
            control->setFocusPolicy(Qt::StrongFocus);
        return false;
    }
    if (control->hasFocus())
        return false; // the control the user is at keeps the wheel
    // Handed up as Qt hands up a wheel turn nobody took, also for a turn
    // sent by a test (Qt passes only spontaneous ones on by itself).
    const auto *wheel = static_cast<QWheelEvent *>(event);
    for (QWidget *w = control->parentWidget(); w; w = w->parentWidget()) {
        QWheelEvent up(w->mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(),
                       wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(),
                       wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source(),
                       wheel->pointingDevice());
        up.setTimestamp(wheel->timestamp());
        QCoreApplication::sendEvent(w, &up);
        if (up.isAccepted() || w->isWindow() || w->testAttribute(Qt::WA_NoMousePropagation))
            break;
    }
    event->accept(); // taken here: Qt hands it on no further
    return true;
}

} // namespace kolva
