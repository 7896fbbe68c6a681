#include "platform/LogindPowerOff.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QProcess>
#include <QtGlobal>

namespace kolva {

void LogindPowerOff::shutDown() {
    const QByteArray command = qgetenv("KOLVA_POWER_OFF_CMD");
    if (!command.isEmpty()) {
        // Detached: the schedule goes on while the command runs.
        QProcess::startDetached(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"), QString::fromLocal8Bit(command)});
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << false; // interactive = false
    // Asynchronous and unchecked: a refusal leaves the program running as after
    // any other end of a task.
    QDBusConnection::systemBus().asyncCall(call);
}

} // namespace kolva
