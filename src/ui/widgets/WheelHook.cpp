#include "ui/widgets/WheelHook.h"

#include <QWheelEvent>

namespace kolva {

void WheelHook::hookWheel(QWidget *target, PageStep step) {
    unhookWheel();
    if (!target)
        return;
    m_target = target;
    m_step = std::move(step);
    target->installEventFilter(this);
}

void WheelHook::unhookWheel() {
    if (m_target)
        m_target->removeEventFilter(this);
    m_target.clear();
    m_step = nullptr;
}

bool WheelHook::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_target && event->type() == QEvent::Wheel && m_step) {
        const auto *wheel = static_cast<const QWheelEvent *>(event);
        const bool marker = wheel->phase() != Qt::NoScrollPhase && wheel->angleDelta().isNull() &&
                            wheel->pixelDelta().isNull();
        if (!marker) {
            // A failing page step must not keep the event from the widget.
            try {
                m_step(wheel->angleDelta().y() > 0);
            } catch (...) {
            }
        }
    }
    return false; // never swallowed
}

} // namespace kolva
