#pragma once
// The client side of org.kolva.Scheduler: one request to the copy that runs
// in the user's session, for the command line (kolva --play-task ...).
//
// Thread: the caller's; it waits for the answer (at most timeoutMs), which
// only a process doing nothing else may do.

#include <QDBusConnection>
#include <QString>
#include <QVariantList>

#include "playback/RemoteControl.h"

namespace kolva {

// Calls the method of org.kolva.Scheduler1 on the bus. Never starts a copy:
// a bus without the service answers NotRunning, one that cannot be reached
// NoBus.
RemoteReply callRemote(const QDBusConnection &bus, const QString &method,
                       const QVariantList &arguments, int timeoutMs = 5000);

} // namespace kolva
