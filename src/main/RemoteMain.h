#pragma once
// kolva --play-task NAME, --stop, ...: the request goes to the copy that runs
// (app/RemoteCommand), and this process ends with its answer. It makes no
// window, takes no single-instance lock and plays nothing.

#include <optional>

namespace kolva {

// The exit code of the request the arguments hold, its answer printed;
// nothing when they hold no such request (the program starts as usual).
std::optional<int> runRemoteCommand(int &argc, char **argv);

} // namespace kolva
