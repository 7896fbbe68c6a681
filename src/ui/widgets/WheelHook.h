#pragma once
// A scrolling panel that follows the mouse wheel: every wheel event that
// reaches the hooked widget (directly, or handed up by a child that does not
// use the wheel) becomes one page step of its owner, by the sign of the
// turn only (> 0 up, otherwise down); then the event goes on unchanged.
// Touchpad gesture markers (a begin or end phase without any movement) are
// no turn and are passed on without a step.
//
// Thread: UI thread (an event filter).

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace kolva {

class WheelHook : public QObject {
    Q_OBJECT
public:
    using PageStep = std::function<void(bool up)>;

    explicit WheelHook(QObject *parent = nullptr) : QObject(parent) {}
    ~WheelHook() override { unhookWheel(); }

    // Hooks one widget at a time: hooking another first unhooks the old one.
    void hookWheel(QWidget *target, PageStep step);
    void unhookWheel();
    bool isHooked() const { return !m_target.isNull(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_target;
    PageStep m_step;
};

} // namespace kolva
