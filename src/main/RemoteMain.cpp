#include "main/RemoteMain.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QStringList>
#include <cstdio>

#include "app/RemoteCommand.h"
#include "platform/RemoteClient.h"

namespace kolva {

std::optional<int> runRemoteCommand(int &argc, char **argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const std::optional<RemoteRequest> request = parseRemoteRequest(arguments);
    if (!request)
        return std::nullopt;
    RemoteReply reply;
    if (request->usageError.isEmpty()) {
        // The bus wants an application object; a core one needs no display.
        QCoreApplication app(argc, argv);
        reply = callRemote(QDBusConnection::sessionBus(), request->method, request->arguments);
    }
    const RemoteOutcome outcome = remoteOutcome(*request, reply);
    std::FILE *out = outcome.exitCode == RemoteExitDone ? stdout : stderr;
    std::fprintf(out, "%s\n", outcome.text.toLocal8Bit().constData());
    return outcome.exitCode;
}

} // namespace kolva
