#include "platform/LogindSleepWatch.h"

#include <QDBusConnection>

namespace kolva {

LogindSleepWatch::LogindSleepWatch(QObject *parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    m_listening = bus.isConnected() &&
                  bus.connect(QStringLiteral("org.freedesktop.login1"),
                              QStringLiteral("/org/freedesktop/login1"),
                              QStringLiteral("org.freedesktop.login1.Manager"),
                              QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
}

void LogindSleepWatch::prepareForSleep(bool sleeping) {
    emit sleepChanged(sleeping);
}

} // namespace kolva
