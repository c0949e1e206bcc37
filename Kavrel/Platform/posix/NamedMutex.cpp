#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/RuntimeFolder.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Kavrel::Platform
{

namespace
{
int OpenLockFile(const std::string& name)
{
    const std::string path = NamedMutex::LockFilePath(name);
    if (path.empty())
        return -1;
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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

NamedMutex::NamedMutex(const std::string& name, Mode mode) : fd(OpenLockFile(name))
{
    if (fd < 0)
        return;
    // Blocking for the shared lock is safe: others hold the exclusive one only
    // for a moment, to check or to take the name, then let go or downgrade.
    const int operation = mode == Mode::HoldIfFree ? LOCK_EX | LOCK_NB : LOCK_SH;
    while (::flock(fd, operation) != 0)
    {
        if (errno == EINTR)
            continue;
        ::close(fd);
        fd = -1;
        return;
    }
    if (mode == Mode::HoldIfFree)
        ::flock(fd, LOCK_SH); // downgrade: from now on an ordinary holder
}

NamedMutex::~NamedMutex()
{
    if (fd >= 0)
        ::close(fd);
}

bool NamedMutex::IsHeldByAnyone(const std::string& name)
{
    const int probe = OpenLockFile(name);
    if (probe < 0)
        return false;
    bool held = false;
    if (::flock(probe, LOCK_EX | LOCK_NB) != 0)
        held = errno == EWOULDBLOCK;
    ::close(probe); // also drops our exclusive lock when we got it
    return held;
}

} // namespace Kavrel::Platform
