// The counter replaces the C library's path-based file calls for the whole
// process (the executable is linked with exported symbols, so Qt's calls land
// here first) and forwards each to the real one.
#undef _FORTIFY_SOURCE

#include "FileAccessCounter.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstring>

namespace
{
std::atomic<bool> counting{false};
std::string watchedFolder;
std::atomic<long> statCalls{0};
std::atomic<long> openCalls{0};
std::atomic<long> otherCalls{0};

bool IsWatched(const char* path)
{
    if (!counting.load(std::memory_order_acquire) || path == nullptr)
        return false;
    const size_t length = watchedFolder.size();
    return std::strncmp(path, watchedFolder.c_str(), length) == 0 &&
           (path[length] == '\0' || path[length] == '/');
}

void Count(std::atomic<long>& counter, const char* path)
{
    if (IsWatched(path))
        counter.fetch_add(1, std::memory_order_relaxed);
}

template <class Function> Function Real(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

bool TakesMode(int flags) { return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE; }
} // namespace

namespace Kavrel::Bench
{

void StartCountingFileAccess(const std::string& folder)
{
    counting.store(false, std::memory_order_release);
    watchedFolder = folder;
    statCalls = 0;
    openCalls = 0;
    otherCalls = 0;
    counting.store(true, std::memory_order_release);
}

FileAccessCounts StopCountingFileAccess()
{
    counting.store(false, std::memory_order_release);
    FileAccessCounts counts;
    counts.stats = statCalls.load();
    counts.opens = openCalls.load();
    counts.others = otherCalls.load();
    return counts;
}

} // namespace Kavrel::Bench

#define KAVREL_BENCH_INTERPOSE extern "C" __attribute__((visibility("default")))

KAVREL_BENCH_INTERPOSE int stat(const char* __restrict path, struct stat* __restrict buffer) noexcept
{
    static const auto real = Real<int (*)(const char*, struct stat*)>("stat");
    Count(statCalls, path);
    return real(path, buffer);
}

KAVREL_BENCH_INTERPOSE int stat64(const char* __restrict path, struct stat64* __restrict buffer) noexcept
{
    static const auto real = Real<int (*)(const char*, struct stat64*)>("stat64");
    Count(statCalls, path);
    return real(path, buffer);
}

KAVREL_BENCH_INTERPOSE int lstat64(const char* __restrict path, struct stat64* __restrict buffer) noexcept
{
    static const auto real = Real<int (*)(const char*, struct stat64*)>("lstat64");
    Count(statCalls, path);
    return real(path, buffer);
}

KAVREL_BENCH_INTERPOSE int statx(int directory, const char* __restrict path, int flags, unsigned int mask,
                                 struct statx* __restrict buffer) noexcept
{
    static const auto real = Real<int (*)(int, const char*, int, unsigned int, struct statx*)>("statx");
    Count(statCalls, path);
    return real(directory, path, flags, mask, buffer);
}

KAVREL_BENCH_INTERPOSE int open(const char* path, int flags, ...)
{
    static const auto real = Real<int (*)(const char*, int, ...)>("open");
    mode_t mode = 0;
    if (TakesMode(flags))
    {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    Count(openCalls, path);
    return real(path, flags, mode);
}

KAVREL_BENCH_INTERPOSE int open64(const char* path, int flags, ...)
{
    static const auto real = Real<int (*)(const char*, int, ...)>("open64");
    mode_t mode = 0;
    if (TakesMode(flags))
    {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    Count(openCalls, path);
    return real(path, flags, mode);
}

KAVREL_BENCH_INTERPOSE int access(const char* path, int type) noexcept
{
    static const auto real = Real<int (*)(const char*, int)>("access");
    Count(otherCalls, path);
    return real(path, type);
}

KAVREL_BENCH_INTERPOSE int rename(const char* from, const char* to) noexcept
{
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    Count(otherCalls, to);
    return real(from, to);
}

KAVREL_BENCH_INTERPOSE int renameat2(int fromDirectory, const char* from, int toDirectory, const char* to,
                                     unsigned int flags) noexcept
{
    static const auto real = Real<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    Count(otherCalls, to);
    return real(fromDirectory, from, toDirectory, to, flags);
}
