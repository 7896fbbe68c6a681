#pragma once
// Tells when the system goes to sleep and wakes again, from systemd-logind's
// PrepareForSleep signal on the system bus. Where there is no logind (or no
// system bus), nothing is told and the schedule tells a sleep by its clocks
// alone (the boot counter runs on in sleep, the monotonic one does not).
//
// Thread: the UI thread (the signal arrives through its event loop).

#include <QObject>

namespace kolva {

class LogindSleepWatch : public QObject {
    Q_OBJECT
public:
    explicit LogindSleepWatch(QObject *parent = nullptr);
    // Whether the signal is being listened to.
    bool listening() const { return m_listening; }

signals:
    void sleepChanged(bool sleeping); // true before the sleep, false after it

private slots:
    void prepareForSleep(bool sleeping);

private:
    bool m_listening = false;
};

} // namespace kolva
