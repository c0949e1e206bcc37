#include <Kavrel/Platform/NamedPipe.h>
#include <Kavrel/Platform/RuntimeFolder.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Kavrel::Platform
{

namespace
{
const char WINDOWS_PIPE_PREFIX[] = "\\\\.\\pipe\\";
// How often a creating writer looks whether the reader has come.
constexpr int CONNECT_POLL_MS = 2;

// Only a FIFO of ours that nobody else may open is one of our pipes.
bool IsPrivateFifo(int fd, struct stat& info)
{
    return ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 0077) == 0;
}

// Writing to a pipe whose reader went away raises SIGPIPE, which would end
// the whole program. As Qt does for its sockets, the signal is ignored for
// the process when nobody handles it (programs we start get the default
// back, see ProcessStarter); when the program has a handler of its own, the
// signal is held back on this thread for each write instead, and a pending
// one taken away again.
bool IgnoreUnhandledSigpipe()
{
    struct sigaction current
    {
    };
    if (::sigaction(SIGPIPE, nullptr, &current) != 0)
        return false;
    if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN)
        return true;
    if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL)
        return false;
    struct sigaction ignore
    {
    };
    ignore.sa_handler = SIG_IGN;
    return ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

class SigpipeGuard
{
public:
    // Decided at the first write, once: asking at every write would cost a
    // system call each.
    SigpipeGuard() : active(!Ignored())
    {
        if (!active)
            return;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        alreadyPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    }
    ~SigpipeGuard()
    {
        if (!active)
            return;
        if (raised && !alreadyPending)
        {
            const timespec none{0, 0};
            while (sigtimedwait(&pipeSignal, nullptr, &none) < 0 && errno == EINTR)
            {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    void Raised() { raised = true; }

private:
    static bool Ignored()
    {
        static const bool ignored = IgnoreUnhandledSigpipe();
        return ignored;
    }

    const bool active;
    sigset_t pipeSignal{}, previous{};
    bool alreadyPending = false;
    bool raised = false;
};

long long NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
} // namespace

struct KAVRELPLATFORM_NO_EXPORT NamedPipe::Private
{
    Status Wait(short events);
    Status Connect();

    std::string path;
    Direction direction = Direction::Read;
    bool creator = false;
    bool valid = false;
    int error = 0;
    int fd = -1;
    int stop = -1;
    std::atomic<int> timeout{-1};
    std::atomic<bool> stopped{false};
    unsigned long long device = 0, inode = 0;
};

std::string NamedPipe::PathFor(const std::string& name)
{
    std::string file = name;
    if (file.compare(0, sizeof WINDOWS_PIPE_PREFIX - 1, WINDOWS_PIPE_PREFIX) == 0)
        file.erase(0, sizeof WINDOWS_PIPE_PREFIX - 1);
    if (file.empty() || file == "." || file == ".." || file.find_first_of("/\\") != std::string::npos)
        return {};
    const std::string folder = GetRuntimeFolder();
    return folder.empty() ? std::string() : folder + "/" + file;
}

bool NamedPipe::Exists(const std::string& name)
{
    const std::string file = PathFor(name);
    struct stat info
    {
    };
    return !file.empty() && ::lstat(file.c_str(), &info) == 0;
}

NamedPipe::NamedPipe(const std::string& name, Direction pipeDirection, bool create)
    : d(std::make_unique<Private>())
{
    d->path = PathFor(name);
    d->direction = pipeDirection;
    d->creator = create;
    d->stop = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (d->path.empty() || d->stop < 0)
    {
        d->error = d->path.empty() ? EINVAL : errno;
        return;
    }
    if (d->creator && ::mkfifo(d->path.c_str(), 0600) != 0)
    {
        d->error = errno; // something is there already: not ours to use
        d->creator = false;
        return;
    }
    // Known from the start, so that the destructor removes the FIFO even
    // when what follows fails (it stayed behind and blocked its name).
    struct stat made
    {
    };
    if (d->creator && ::lstat(d->path.c_str(), &made) == 0)
    {
        d->device = made.st_dev;
        d->inode = made.st_ino;
    }
    if (d->creator && ::chmod(d->path.c_str(), 0600) != 0) // whatever the umask took away
    {
        d->error = errno;
        return;
    }
    // A creating writer cannot open before the reader is there; it connects
    // at its first write. Every other end opens now, without waiting.
    if (d->creator && d->direction == Direction::Write)
    {
        struct stat info
        {
        };
        if (::lstat(d->path.c_str(), &info) != 0)
        {
            d->error = errno;
            return;
        }
        d->device = info.st_dev;
        d->inode = info.st_ino;
        d->valid = true;
        return;
    }
    const int mode = d->direction == Direction::Read ? O_RDONLY : O_WRONLY;
    d->fd = ::open(d->path.c_str(), mode | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    struct stat info
    {
    };
    if (d->fd < 0 || !IsPrivateFifo(d->fd, info))
    {
        d->error = d->fd < 0 ? (errno == ENXIO ? EPIPE : errno) : EPERM;
        if (d->fd >= 0)
            ::close(d->fd);
        d->fd = -1;
        return;
    }
    d->device = info.st_dev;
    d->inode = info.st_ino;
    d->valid = true;
}

NamedPipe::~NamedPipe()
{
    if (d->fd >= 0)
        ::close(d->fd);
    if (d->stop >= 0)
        ::close(d->stop);
    // The creator removes its FIFO, unless something else took its place.
    struct stat info
    {
    };
    if (d->creator && ::lstat(d->path.c_str(), &info) == 0 && info.st_dev == d->device &&
        info.st_ino == d->inode)
        ::unlink(d->path.c_str());
}

bool NamedPipe::IsValid() const { return d->valid; }

int NamedPipe::Error() const { return d->error; }

void NamedPipe::SetTimeout(int milliseconds) { d->timeout = milliseconds; }

void NamedPipe::Stop()
{
    d->stopped = true;
    const std::uint64_t one = 1;
    while (d->stop >= 0 && ::write(d->stop, &one, sizeof one) < 0 && errno == EINTR)
    {
    }
}

NamedPipe::Status NamedPipe::Private::Wait(short events)
{
    pollfd polled[2] = {{fd, events, 0}, {stop, POLLIN, 0}};
    int ready = 0;
    while ((ready = ::poll(polled, 2, timeout)) < 0 && errno == EINTR)
    {
    }
    if (ready < 0)
    {
        error = errno;
        return Status::Failed;
    }
    if (polled[1].revents != 0)
        return Status::Stopped;
    if (ready == 0)
        return Status::TimedOut;
    if (polled[0].revents & POLLNVAL)
    {
        error = EBADF;
        return Status::Failed;
    }
    return Status::Done; // readable, writable, or hung up: the call tells
}

NamedPipe::Status NamedPipe::Private::Connect()
{
    const long long deadline = timeout < 0 ? -1 : NowMs() + timeout;
    while (true)
    {
        fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0)
        {
            struct stat info
            {
            };
            if (IsPrivateFifo(fd, info) && info.st_dev == device && info.st_ino == inode)
                return Status::Done;
            ::close(fd);
            fd = -1;
            error = EPERM;
            return Status::Failed;
        }
        if (errno != ENXIO && errno != EINTR)
        {
            error = errno;
            return Status::Failed;
        }
        if (deadline >= 0 && NowMs() >= deadline)
            return Status::TimedOut;
        pollfd stopped{stop, POLLIN, 0};
        if (::poll(&stopped, 1, CONNECT_POLL_MS) > 0)
            return Status::Stopped;
    }
}

NamedPipe::Status NamedPipe::Read(void* buffer, size_t size, size_t& transferred)
{
    transferred = 0;
    if (!d->valid || d->direction != Direction::Read)
    {
        d->error = d->valid ? EBADF : d->error;
        return Status::Failed;
    }
    if (size == 0)
        return Status::Done;
    while (true)
    {
        if (d->stopped)
            return Status::Stopped;
        const Status waited = d->Wait(POLLIN);
        if (waited != Status::Done)
            return waited;
        const ssize_t got = ::read(d->fd, buffer, size);
        if (got > 0)
        {
            transferred = static_cast<size_t>(got);
            return Status::Done;
        }
        if (got == 0)
            return Status::Closed;
        if (errno != EAGAIN && errno != EINTR)
        {
            d->error = errno;
            return Status::Failed;
        }
    }
}

NamedPipe::Status NamedPipe::WriteAll(const void* data, size_t size)
{
    if (!d->valid || d->direction != Direction::Write)
    {
        d->error = d->valid ? EBADF : d->error;
        return Status::Failed;
    }
    if (d->fd < 0)
    {
        const Status connected = d->Connect();
        if (connected != Status::Done)
            return connected;
    }
    const auto* bytes = static_cast<const char*>(data);
    SigpipeGuard guard;
    bool wait = false; // a pipe mostly has room: try first, wait only when full
    while (size > 0)
    {
        if (wait)
        {
            const Status waited = d->Wait(POLLOUT);
            if (waited != Status::Done)
                return waited;
        }
        if (d->stopped)
            return Status::Stopped;
        const ssize_t put = ::write(d->fd, bytes, size);
        wait = put < 0 && errno == EAGAIN;
        if (put > 0)
        {
            bytes += put;
            size -= static_cast<size_t>(put);
            continue;
        }
        if (put < 0 && errno == EPIPE)
        {
            guard.Raised();
            return Status::Closed;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR)
        {
            d->error = errno;
            return Status::Failed;
        }
    }
    return Status::Done;
}

} // namespace Kavrel::Platform
