#pragma once
// A full disk for one call: runs `write` with the process's file size limit
// at `limit` bytes (writes past it fail with EFBIG, SIGXFSZ ignored).

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace kolva::test {

inline bool withSizeLimit(rlim_t limit, const std::function<bool()> &write) {
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = write();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return ok;
}

} // namespace kolva::test
