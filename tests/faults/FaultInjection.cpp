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
// The environment's text, "" when unset.
std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

struct Settings
{
    std::string calls = "," + Variable("KAVREL_FAULT_CALL") + ",";
    std::string errorName = Variable("KAVREL_FAULT_ERRNO");
    std::string path = Variable("KAVREL_FAULT_PATH");
    std::string log = Variable("KAVREL_FAULT_LOG");
    long after = std::atol(Variable("KAVREL_FAULT_AFTER").c_str());
    long times =
        Variable("KAVREL_FAULT_TIMES").empty() ? -1 : std::atol(Variable("KAVREL_FAULT_TIMES").c_str());
    int error = errorName == "ENOSPC"   ? ENOSPC
                : errorName == "EACCES" ? EACCES
                : errorName == "EIO"    ? EIO
                : errorName == "EINTR"  ? EINTR
                : errorName == "EAGAIN" ? EAGAIN
                                        : std::atoi(errorName.c_str());
    bool active = calls != ",," && error != 0;
};

// Never destroyed: the program's last calls at exit (other libraries'
// clean-up, after this library's statics are gone) still come through here.
const Settings& Read()
{
    static const Settings* const settings = new Settings;
    return *settings;
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

// Defines `call` to fail as one of `category` when the path made from its
// parameters matches, returning `failed`, and to be the next definition
// otherwise.
#define KAVREL_FAULTY(Result, call, category, path, failed, parameters, arguments)                           \
    Result call parameters                                                                                   \
    {                                                                                                        \
        if (Read().active && Fails(category, #call, path))                                                   \
            return failed;                                                                                   \
        static const auto real = Next<Result(*) parameters>(#call);                                          \
        return real arguments;                                                                               \
    }

// The opening calls, which take a mode only when they create.
#define KAVREL_FAULTY_OPEN(call, path, parameters, arguments)                                                \
    int call parameters                                                                                      \
    {                                                                                                        \
        mode_t mode = 0;                                                                                     \
        if (TakesMode(flags))                                                                                \
        {                                                                                                    \
            va_list variable;                                                                                \
            va_start(variable, flags);                                                                       \
            mode = static_cast<mode_t>(va_arg(variable, int));                                               \
            va_end(variable);                                                                                \
        }                                                                                                    \
        if (Fails("open", #call, path))                                                                      \
            return -1;                                                                                       \
        static const auto real = Next<int(*) parameters>(#call);                                             \
        return real arguments;                                                                               \
    }

KAVREL_FAULTY_OPEN(open, Text(path), (const char* path, int flags, ...), (path, flags, mode))
KAVREL_FAULTY_OPEN(open64, Text(path), (const char* path, int flags, ...), (path, flags, mode))
KAVREL_FAULTY_OPEN(openat, Beside(dirfd, path), (int dirfd, const char* path, int flags, ...),
                   (dirfd, path, flags, mode))
KAVREL_FAULTY_OPEN(openat64, Beside(dirfd, path), (int dirfd, const char* path, int flags, ...),
                   (dirfd, path, flags, mode))
KAVREL_FAULTY(int, creat, "open", Text(path), -1, (const char* path, mode_t mode), (path, mode))
KAVREL_FAULTY(ssize_t, write, "write", PathOf(fd), -1, (int fd, const void* data, size_t size),
              (fd, data, size))
KAVREL_FAULTY(ssize_t, pwrite, "write", PathOf(fd), -1,
              (int fd, const void* data, size_t size, off_t offset), (fd, data, size, offset))
KAVREL_FAULTY(ssize_t, pwrite64, "write", PathOf(fd), -1,
              (int fd, const void* data, size_t size, off64_t offset), (fd, data, size, offset))
KAVREL_FAULTY(ssize_t, writev, "write", PathOf(fd), -1, (int fd, const struct iovec* vector, int count),
              (fd, vector, count))
KAVREL_FAULTY(int, rename, "rename", Text(from) + " " + Text(to), -1, (const char* from, const char* to),
              (from, to))
KAVREL_FAULTY(int, renameat, "rename", Beside(fromDir, from) + " " + Beside(toDir, to), -1,
              (int fromDir, const char* from, int toDir, const char* to), (fromDir, from, toDir, to))
KAVREL_FAULTY(int, renameat2, "rename", Beside(fromDir, from) + " " + Beside(toDir, to), -1,
              (int fromDir, const char* from, int toDir, const char* to, unsigned int flags),
              (fromDir, from, toDir, to, flags))
KAVREL_FAULTY(int, linkat, "rename", Beside(fromDir, from) + " " + Beside(toDir, to), -1,
              (int fromDir, const char* from, int toDir, const char* to, int flags),
              (fromDir, from, toDir, to, flags))
KAVREL_FAULTY(int, fsync, "fsync", PathOf(fd), -1, (int fd), (fd))
KAVREL_FAULTY(int, fdatasync, "fsync", PathOf(fd), -1, (int fd), (fd))
KAVREL_FAULTY(int, flock, "flock", PathOf(fd), -1, (int fd, int operation), (fd, operation))

// The record-lock calls, which fail only for a lock command.
#define KAVREL_FAULTY_FCNTL(call)                                                                            \
    int call(int fd, int command, ...)                                                                       \
    {                                                                                                        \
        va_list arguments;                                                                                   \
        va_start(arguments, command);                                                                        \
        void* argument = va_arg(arguments, void*);                                                           \
        va_end(arguments);                                                                                   \
        if (IsLock(command) && Read().active && Fails("flock", #call, PathOf(fd)))                           \
            return -1;                                                                                       \
        static const auto real = Next<int (*)(int, int, ...)>(#call);                                        \
        return real(fd, command, argument);                                                                  \
    }

KAVREL_FAULTY_FCNTL(fcntl)
KAVREL_FAULTY_FCNTL(fcntl64)

KAVREL_FAULTY(int, mkfifo, "mkfifo", Text(path), -1, (const char* path, mode_t mode), (path, mode))
KAVREL_FAULTY(int, mkfifoat, "mkfifo", Beside(dirfd, path), -1,
              (int dirfd, const char* path, mode_t mode), (dirfd, path, mode))
// posix_spawn reports the error as its result, not in errno.
KAVREL_FAULTY(int, posix_spawn, "spawn", Text(path), errno,
              (pid_t * pid, const char* path, const posix_spawn_file_actions_t* actions,
               const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]),
              (pid, path, actions, attributes, argv, envp))
KAVREL_FAULTY(int, posix_spawnp, "spawn", Text(file), errno,
              (pid_t * pid, const char* file, const posix_spawn_file_actions_t* actions,
               const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]),
              (pid, file, actions, attributes, argv, envp))
KAVREL_FAULTY(int, execve, "spawn", Text(path), -1,
              (const char* path, char* const argv[], char* const envp[]), (path, argv, envp))
KAVREL_FAULTY(int, execv, "spawn", Text(path), -1, (const char* path, char* const argv[]), (path, argv))
KAVREL_FAULTY(int, execvp, "spawn", Text(file), -1, (const char* file, char* const argv[]), (file, argv))
KAVREL_FAULTY(pid_t, fork, "fork", "", -1, (), ())

} // extern "C"
