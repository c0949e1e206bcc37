#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/RuntimeFolder.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Open-file-description locks: unlike flock, converting an exclusive lock to
// a shared one is atomic, so a check that takes the name never lets another
// checker see it free in between; unlike classic record locks, closing
// another descriptor of the same file in this process keeps them.
namespace Kavrel::Platform
{

namespace
{
// A holder that keeps the name exclusively is a checker that lets go at
// once; one that keeps it longer is not waited for.
constexpr int HOLD_ATTEMPTS = 20;
constexpr long HOLD_RETRY_NANOSECONDS = 10'000'000;

int OpenLockFile(const std::string& name, int& error)
{
    const std::string path = NamedMutex::LockFilePath(name);
    if (path.empty())
    {
        error = ENOENT;
        return -1;
    }
    // No following a planted link, no blocking on a planted pipe.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
    {
        error = errno;
        return -1;
    }
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        error = EINVAL;
        ::close(fd);
        return -1;
    }
    return fd;
}

// 0 on success, else the error; EAGAIN means another holder conflicts.
int TryLock(int fd, short type)
{
    struct flock lock
    {
    };
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    while (::fcntl(fd, F_OFD_SETLK, &lock) != 0)
    {
        if (errno == EINTR)
            continue;
        return errno == EACCES ? EAGAIN : errno;
    }
    return 0;
}

void Pause()
{
    timespec pause{0, HOLD_RETRY_NANOSECONDS};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR)
    {
    }
}
} // namespace

std::string NamedMutex::LockFilePath(const std::string& name)
{
    const std::string folder = GetRuntimeFolder();
    if (folder.empty() || name.empty())
        return {};
    std::string file = name;
    for (char& c : file)
        if (c == '/' || c == '\\')
            c = '_';
    return folder + "/" + file + ".lock";
}

struct KAVRELPLATFORM_NO_EXPORT NamedMutex::Private
{
    int fd = -1;
    Outcome outcome = Outcome::Failed;
    int error = 0;
};

NamedMutex::NamedMutex(const std::string& name, Mode mode) : d(std::make_unique<Private>())
{
    d->fd = OpenLockFile(name, d->error);
    if (d->fd < 0)
        return;
    int result = 0;
    if (mode == Mode::HoldIfFree)
    {
        result = TryLock(d->fd, F_WRLCK);
        if (result == 0)
            result = TryLock(d->fd, F_RDLCK); // from now on an ordinary holder
    }
    else
    {
        for (int attempt = 0; attempt < HOLD_ATTEMPTS; ++attempt)
        {
            if (attempt > 0)
                Pause();
            result = TryLock(d->fd, F_RDLCK);
            if (result != EAGAIN)
                break;
        }
    }
    if (result == 0)
    {
        d->outcome = Outcome::Held;
        return;
    }
    d->outcome = result == EAGAIN ? Outcome::HeldByOther : Outcome::Failed;
    d->error = result == EAGAIN ? 0 : result;
    ::close(d->fd);
    d->fd = -1;
}

NamedMutex::~NamedMutex()
{
    if (d->fd >= 0)
        ::close(d->fd);
}

bool NamedMutex::IsHeld() const { return d->outcome == Outcome::Held; }

NamedMutex::Outcome NamedMutex::GetOutcome() const { return d->outcome; }

int NamedMutex::Error() const { return d->error; }

bool NamedMutex::IsHeldByAnyone(const std::string& name)
{
    int error = 0;
    const int probe = OpenLockFile(name, error);
    if (probe < 0)
        return false;
    // Asks without taking: no moment in which the name looks taken by us.
    struct flock lock
    {
    };
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool held = ::fcntl(probe, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(probe);
    return held;
}

} // namespace Kavrel::Platform
