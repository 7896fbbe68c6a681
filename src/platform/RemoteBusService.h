#pragma once
// The program on the user's session bus: the service org.kolva.Scheduler
// (object /org/kolva/Scheduler, interface org.kolva.Scheduler1, described in
// resources/dbus/org.kolva.Scheduler1.xml) and the MPRIS 2 player
// org.mpris.MediaPlayer2.kolva that media keys, the panel's sound menu and
// playerctl talk to. The adaptors only translate: every request goes to the
// RemoteControl, every answer and signal comes from it. Only the session bus
// of the user who runs the program; no network port.
//
// Thread: UI thread (the bus delivers calls to the objects' thread).

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

namespace kolva {

class RemoteControl;

class RemoteBusService : public QObject {
    Q_OBJECT
public:
    explicit RemoteBusService(RemoteControl &control, QObject *parent = nullptr);
    ~RemoteBusService() override;

    // Puts both objects on the bus and takes both names. False, with the
    // reason, when the scheduler's name cannot be had (no bus, or another
    // copy of the program from another folder holds it); the MPRIS name is
    // taken when it can be.
    bool registerOn(const QDBusConnection &bus, QString *error = nullptr);
    // Gives the names and objects back (also on destruction).
    void unregister();

private:
    void announcePlayerProperties(const QStringList &names);

    RemoteControl &m_control;
    QDBusConnection m_bus{QString()};
    bool m_registered = false;
    QObject m_scheduler; // holds the Scheduler1 adaptor
    QObject m_mpris;     // holds the two MPRIS adaptors
};

} // namespace kolva
