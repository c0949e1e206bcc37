// A library the fault tests preload into a child process (LD_PRELOAD): it
// makes chosen system calls fail with a chosen error, as a full disk, a
// permission taken away, a failing device or a signal would. Controlled by
// the environment:
//   KAVREL_FAULT_CALL   which calls fail, comma-separated:
//                         open    open, open64, openat, openat64, creat
//                         write   write, pwrite, pwrite64, writev
//                         rename  rename, renameat, renameat2, linkat (how a
//                                 finished file is put in place)
//                         fsync   fsync, fdatasync
//                         flock   flock, and fcntl's record locks
//                         mkfifo  mkfifo, mkfifoat
//                         spawn   posix_spawn, posix_spawnp, execve, execv,
//                                 execvp (our starter forks and then execs)
//                         fork    fork
//   KAVREL_FAULT_ERRNO  ENOSPC, EACCES, EIO, EINTR, EAGAIN (or a number)
//   KAVREL_FAULT_PATH   only calls whose path contains this text; for calls
//                       on a descriptor, the path it was opened with (as
//                       /proc/self/fd tells)
//   KAVREL_FAULT_AFTER  this many matching calls succeed first (default 0)
//   KAVREL_FAULT_TIMES  this many fail, then the calls succeed again
//                       (default: all)
//   KAVREL_FAULT_LOG    a file that gets one line per failure made:
//                       "<call> <errno> <path>", so that a test knows the
//                       fault happened
// The counts are per process (a forked child starts from its parent's).
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace
{
struct Settings
{
    std::string calls;
    std::string path;
    std::string log;
    int error = 0;
    long after = 0;
    long times = -1;
    bool active = false;
};

int ErrorNamed(const char* name)
{
    static const struct
    {
        const char* name;
        int value;
    } known[] = {{"ENOSPC", ENOSPC}, {"EACCES", EACCES}, {"EIO", EIO}, {"EINTR", EINTR}, {"EAGAIN", EAGAIN}};
    for (const auto& entry : known)
        if (std::strcmp(entry.name, name) == 0)
            return entry.value;
    return std::atoi(name);
}

const Settings& Read()
{
    static const Settings settings = []
    {
        Settings read;
        const char* calls = std::getenv("KAVREL_FAULT_CALL");
        const char* error = std::getenv("KAVREL_FAULT_ERRNO");
        if (!calls || !*calls || !error || !*error)
            return read;
        read.calls = std::string(",") + calls + ",";
        read.error = ErrorNamed(error);
        if (const char* path = std::getenv("KAVREL_FAULT_PATH"))
            read.path = path;
        if (const char* log = std::getenv("KAVREL_FAULT_LOG"))
            read.log = log;
        if (const char* after = std::getenv("KAVREL_FAULT_AFTER"))
            read.after = std::atol(after);
        if (const char* times = std::getenv("KAVREL_FAULT_TIMES"))
            read.times = std::atol(times);
        read.active = read.error != 0;
        return read;
    }();
    return settings;
}

std::atomic<long> matching{0};

template <class Function> Function Next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

std::string PathOf(int fd)
{
    char link[64], target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t size = ::readlink(link, target, sizeof target - 1);
    return size > 0 ? std::string(target, static_cast<size_t>(size)) : std::string();
}

void Note(const char* call, const std::string& path, int error)
{
    const Settings& settings = Read();
    if (settings.log.empty())
        return;
    static const auto realOpen = Next<int (*)(const char*, int, ...)>("open");
    static const auto realWrite = Next<ssize_t (*)(int, const void*, size_t)>("write");
    const int fd = realOpen(settings.log.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const std::string line = std::string(call) + " " + std::to_string(error) + " " + path + "\n";
    realWrite(fd, line.data(), line.size());
    ::close(fd);
}

// True when this call is to fail; errno is set then.
bool Fails(const char* category, const char* call, const std::string& path)
{
    const Settings& settings = Read();
    if (!settings.active || settings.calls.find(std::string(",") + category + ",") == std::string::npos)
        return false;
    if (!settings.path.empty() && path.find(settings.path) == std::string::npos)
        return false;
    const long number = matching++;
    if (number < settings.after || (settings.times >= 0 && number >= settings.after + settings.times))
        return false;
    const int saved = settings.error;
    Note(call, path, saved);
    errno = saved;
    return true;
}

// The system's declarations say these paths are never null; a caller may still pass one.
std::string Text(const char* text) { return text ? text : ""; }

bool TakesMode(int flags) { return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE; }

std::string Beside(int dirfd, const char* path)
{
    if (!path || path[0] == '/' || dirfd == AT_FDCWD)
        return Text(path);
    return PathOf(dirfd) + "/" + path;
}

bool IsLock(int command)
{
    return command == F_SETLK || command == F_SETLKW || command == F_OFD_SETLK || command == F_OFD_SETLKW;
}
} // namespace

extern "C"
{

#define KAVREL_MODE_ARGUMENT(flags)                                                                          \
    mode_t mode = 0;                                                                                         \
    if (TakesMode(flags))                                                                                    \
    {                                                                                                        \
        va_list arguments;                                                                                   \
        va_start(arguments, flags);                                                                          \
        mode = static_cast<mode_t>(va_arg(arguments, int));                                                  \
        va_end(arguments);                                                                                   \
    }

int open(const char* path, int flags, ...)
{
    KAVREL_MODE_ARGUMENT(flags)
    if (Fails("open", "open", Text(path)))
        return -1;
    static const auto real = Next<int (*)(const char*, int, ...)>("open");
    return real(path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    KAVREL_MODE_ARGUMENT(flags)
    if (Fails("open", "open64", Text(path)))
        return -1;
    static const auto real = Next<int (*)(const char*, int, ...)>("open64");
    return real(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...)
{
    KAVREL_MODE_ARGUMENT(flags)
    if (Fails("open", "openat", Beside(dirfd, path)))
        return -1;
    static const auto real = Next<int (*)(int, const char*, int, ...)>("openat");
    return real(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...)
{
    KAVREL_MODE_ARGUMENT(flags)
    if (Fails("open", "openat64", Beside(dirfd, path)))
        return -1;
    static const auto real = Next<int (*)(int, const char*, int, ...)>("openat64");
    return real(dirfd, path, flags, mode);
}

int creat(const char* path, mode_t mode)
{
    if (Fails("open", "creat", Text(path)))
        return -1;
    static const auto real = Next<int (*)(const char*, mode_t)>("creat");
    return real(path, mode);
}

ssize_t write(int fd, const void* data, size_t size)
{
    if (Read().active && Fails("write", "write", PathOf(fd)))
        return -1;
    static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
    return real(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset)
{
    if (Read().active && Fails("write", "pwrite", PathOf(fd)))
        return -1;
    static const auto real = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    return real(fd, data, size, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset)
{
    if (Read().active && Fails("write", "pwrite64", PathOf(fd)))
        return -1;
    static const auto real = Next<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    return real(fd, data, size, offset);
}

ssize_t writev(int fd, const struct iovec* vector, int count)
{
    if (Read().active && Fails("write", "writev", PathOf(fd)))
        return -1;
    static const auto real = Next<ssize_t (*)(int, const struct iovec*, int)>("writev");
    return real(fd, vector, count);
}

int rename(const char* from, const char* to)
{
    if (Fails("rename", "rename", std::string(Text(from)) + " " + (Text(to))))
        return -1;
    static const auto real = Next<int (*)(const char*, const char*)>("rename");
    return real(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    if (Fails("rename", "renameat", Beside(fromDir, from) + " " + Beside(toDir, to)))
        return -1;
    static const auto real = Next<int (*)(int, const char*, int, const char*)>("renameat");
    return real(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags)
{
    if (Fails("rename", "renameat2", Beside(fromDir, from) + " " + Beside(toDir, to)))
        return -1;
    static const auto real = Next<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    return real(fromDir, from, toDir, to, flags);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags)
{
    if (Fails("rename", "linkat", Beside(fromDir, from) + " " + Beside(toDir, to)))
        return -1;
    static const auto real = Next<int (*)(int, const char*, int, const char*, int)>("linkat");
    return real(fromDir, from, toDir, to, flags);
}

int fsync(int fd)
{
    if (Read().active && Fails("fsync", "fsync", PathOf(fd)))
        return -1;
    static const auto real = Next<int (*)(int)>("fsync");
    return real(fd);
}

int fdatasync(int fd)
{
    if (Read().active && Fails("fsync", "fdatasync", PathOf(fd)))
        return -1;
    static const auto real = Next<int (*)(int)>("fdatasync");
    return real(fd);
}

int flock(int fd, int operation)
{
    if (Read().active && Fails("flock", "flock", PathOf(fd)))
        return -1;
    static const auto real = Next<int (*)(int, int)>("flock");
    return real(fd, operation);
}

int fcntl(int fd, int command, ...)
{
    va_list arguments;
    va_start(arguments, command);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    if (IsLock(command) && Read().active && Fails("flock", "fcntl", PathOf(fd)))
        return -1;
    static const auto real = Next<int (*)(int, int, ...)>("fcntl");
    return real(fd, command, argument);
}

int fcntl64(int fd, int command, ...)
{
    va_list arguments;
    va_start(arguments, command);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    if (IsLock(command) && Read().active && Fails("flock", "fcntl64", PathOf(fd)))
        return -1;
    static const auto real = Next<int (*)(int, int, ...)>("fcntl64");
    return real(fd, command, argument);
}

int mkfifo(const char* path, mode_t mode)
{
    if (Fails("mkfifo", "mkfifo", Text(path)))
        return -1;
    static const auto real = Next<int (*)(const char*, mode_t)>("mkfifo");
    return real(path, mode);
}

int mkfifoat(int dirfd, const char* path, mode_t mode)
{
    if (Fails("mkfifo", "mkfifoat", Beside(dirfd, path)))
        return -1;
    static const auto real = Next<int (*)(int, const char*, mode_t)>("mkfifoat");
    return real(dirfd, path, mode);
}

// posix_spawn reports the error as its result, not in errno.
int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                const posix_spawnattr_t* attributes, char* const argv[], char* const envp[])
{
    if (Fails("spawn", "posix_spawn", Text(path)))
        return errno;
    static const auto real = Next<int (*)(pid_t*, const char*, const posix_spawn_file_actions_t*,
                                          const posix_spawnattr_t*, char* const[], char* const[])>("posix_spawn");
    return real(pid, path, actions, attributes, argv, envp);
}

int posix_spawnp(pid_t* pid, const char* file, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attributes, char* const argv[], char* const envp[])
{
    if (Fails("spawn", "posix_spawnp", Text(file)))
        return errno;
    static const auto real = Next<int (*)(pid_t*, const char*, const posix_spawn_file_actions_t*,
                                          const posix_spawnattr_t*, char* const[], char* const[])>("posix_spawnp");
    return real(pid, file, actions, attributes, argv, envp);
}

int execve(const char* path, char* const argv[], char* const envp[])
{
    if (Fails("spawn", "execve", Text(path)))
        return -1;
    static const auto real = Next<int (*)(const char*, char* const[], char* const[])>("execve");
    return real(path, argv, envp);
}

int execv(const char* path, char* const argv[])
{
    if (Fails("spawn", "execv", Text(path)))
        return -1;
    static const auto real = Next<int (*)(const char*, char* const[])>("execv");
    return real(path, argv);
}

int execvp(const char* file, char* const argv[])
{
    if (Fails("spawn", "execvp", Text(file)))
        return -1;
    static const auto real = Next<int (*)(const char*, char* const[])>("execvp");
    return real(file, argv);
}

pid_t fork()
{
    if (Fails("fork", "fork", ""))
        return -1;
    static const auto real = Next<pid_t (*)()>("fork");
    return real();
}

} // extern "C"
