#pragma once
// Keeps the mouse wheel from changing values by accident, in every window of
// the application: a combo box, spin box (time, date, pass count) or slider
// takes the wheel only while it has the keyboard focus. A turn over one that
// has not is handed to the nearest ancestor that takes it, so the page under
// the pointer scrolls (in the task editor, one page step) instead.
//
// Qt gives such controls the focus on a wheel turn (Qt::WheelFocus) before
// any filter sees the event; the guard lowers them to Qt::StrongFocus when
// they are first polished, so a turn never hands out the focus either.
// Scroll bars are not guarded: turning them is what the wheel is for.
//
// Thread: UI thread (an event filter on the application).

#include <QObject>

class QCoreApplication;
class QWidget;

namespace kolva {

class WheelGuard : public QObject {
    Q_OBJECT
public:
    // Watches every widget of app from now on, until the guard is destroyed.
    explicit WheelGuard(QCoreApplication &app, QObject *parent = nullptr);

    // A control whose value the wheel changes (and which this guard guards).
    static bool takesWheelAsValue(const QObject *object);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace kolva
