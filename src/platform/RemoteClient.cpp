#include "platform/RemoteClient.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QVariantMap>

namespace kolva {

RemoteReply callRemote(const QDBusConnection &bus, const QString &method,
                       const QVariantList &arguments, int timeoutMs) {
    RemoteReply reply;
    if (!bus.isConnected()) {
        reply.kind = RemoteReply::NoBus;
        reply.message = bus.lastError().message();
        return reply;
    }
    // Asked first, so that a bus able to start services never starts one.
    const QDBusConnectionInterface *names = bus.interface();
    if (!names || !names->isServiceRegistered(remote::ServiceName).value()) {
        reply.kind = RemoteReply::NotRunning;
        return reply;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(remote::ServiceName, remote::ObjectPath,
                                                       remote::InterfaceName, method);
    call.setArguments(arguments);
    call.setAutoStartService(false);
    const QDBusMessage answer = bus.call(call, QDBus::Block, timeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        const QDBusError error(answer);
        // ServiceUnknown: the copy ended between the question and the call.
        reply.kind = error.type() == QDBusError::ServiceUnknown ? RemoteReply::NotRunning
                                                                : RemoteReply::Refused;
        reply.message = error.type() == QDBusError::NoReply
                            ? QStringLiteral("没有回答：%1").arg(error.message())
                            : error.message();
        return reply;
    }
    const QVariant value = answer.arguments().value(0);
    // A dictionary arrives still in its wire form.
    if (value.canConvert<QDBusArgument>())
        reply.value = qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    else
        reply.value = value;
    return reply;
}

} // namespace kolva
