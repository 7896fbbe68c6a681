// A preload library for bench/run-stall.sh: every lookup (stat, statx,
// access and their relatives) of a path that contains KOLVA_SLOW_PATH takes
// KOLVA_SLOW_MS milliseconds longer, as on a network share that answers
// slowly or an automount that is still coming up. Opening and reading are
// not slowed. Any thread; no state beyond the two settings.
//
// The system headers that declare these functions are not included: their
// declarations carry attributes that a redefinition would contradict.
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

struct stat;
struct statx;

namespace {

void slowDown(const char *path) {
    static const char *marker = getenv("KOLVA_SLOW_PATH");
    static const long ms = [] {
        const char *text = getenv("KOLVA_SLOW_MS");
        return text ? atol(text) : 200L;
    }();
    if (!marker || !*marker || !path || !strstr(path, marker))
        return;
    timespec wait{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
}

template <typename F> F next(const char *name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int stat(const char *path, struct stat *buf) {
    static const auto real = next<int (*)(const char *, struct stat *)>("stat");
    slowDown(path);
    return real(path, buf);
}

int stat64(const char *path, struct stat *buf) {
    static const auto real = next<int (*)(const char *, struct stat *)>("stat64");
    slowDown(path);
    return real(path, buf);
}

int lstat(const char *path, struct stat *buf) {
    static const auto real = next<int (*)(const char *, struct stat *)>("lstat");
    slowDown(path);
    return real(path, buf);
}

int lstat64(const char *path, struct stat *buf) {
    static const auto real = next<int (*)(const char *, struct stat *)>("lstat64");
    slowDown(path);
    return real(path, buf);
}

int fstatat(int dir, const char *path, struct stat *buf, int flags) {
    static const auto real = next<int (*)(int, const char *, struct stat *, int)>("fstatat");
    slowDown(path);
    return real(dir, path, buf, flags);
}

int fstatat64(int dir, const char *path, struct stat *buf, int flags) {
    static const auto real = next<int (*)(int, const char *, struct stat *, int)>("fstatat64");
    slowDown(path);
    return real(dir, path, buf, flags);
}

int statx(int dir, const char *path, int flags, unsigned mask, struct statx *buf) {
    static const auto real =
        next<int (*)(int, const char *, int, unsigned, struct statx *)>("statx");
    slowDown(path);
    return real(dir, path, flags, mask, buf);
}

int access(const char *path, int mode) {
    static const auto real = next<int (*)(const char *, int)>("access");
    slowDown(path);
    return real(path, mode);
}

int faccessat(int dir, const char *path, int mode, int flags) {
    static const auto real = next<int (*)(int, const char *, int, int)>("faccessat");
    slowDown(path);
    return real(dir, path, mode, flags);
}

} // extern "C"
