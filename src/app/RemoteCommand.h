#pragma once
// The command line that drives the running copy instead of starting one:
//   kolva --play-task NAME | --stop | --pause | --resume | --reload
//         | --schedule on|off | --status
// What each option asks of the bus service, and how its answer is printed
// and told by the exit code: 0 done, 1 refused, 2 a wrong command line,
// 3 no copy runs, 4 no session bus.
//
// Thread: any (pure functions).

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <optional>

#include "playback/RemoteControl.h"

namespace kolva {

struct RemoteRequest {
    QString method;         // of org.kolva.Scheduler1: "PlayTask", "Stop", ...
    QVariantList arguments; // its arguments
    QString usageError;     // set when the command line is wrong (nothing is sent)
};

enum RemoteExit {
    RemoteExitDone = 0,
    RemoteExitRefused = 1,
    RemoteExitUsage = 2,
    RemoteExitNotRunning = 3,
    RemoteExitNoBus = 4,
};

// The request of the arguments (without the program's name); nothing when
// they hold none of the options above (the program starts as usual).
std::optional<RemoteRequest> parseRemoteRequest(const QStringList &arguments);

// The lines --help shows for these options.
QString remoteUsageText();

// What the command prints for the answer (one or more lines, no final line
// break; on stderr when it failed) and the exit code it ends with.
struct RemoteOutcome {
    int exitCode = RemoteExitDone;
    QString text;
};
RemoteOutcome remoteOutcome(const RemoteRequest &request, const RemoteReply &reply);

// The answer of Status() as lines for a terminal.
QString remoteStatusText(const QVariantMap &status);

// "KOLVA定时播放器没有运行"
QString notRunningText();

} // namespace kolva
