#include <Kavrel/Platform/Process.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <sys/syscall.h>
#include <system_error>
#include <unistd.h>

namespace Kavrel::Platform
{

namespace
{
std::string ReadLink(const std::string& link)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
        return {};
    return std::string(buffer, static_cast<size_t>(length));
}

std::string Canonical(const std::string& path)
{
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}
} // namespace

std::string GetExecutablePath() { return ReadLink("/proc/self/exe"); }

unsigned long GetCurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

int OpenProcessHandle(unsigned long pid)
{
    if (pid == 0 || pid > static_cast<unsigned long>(INT_MAX))
        return -1;
#ifdef SYS_pidfd_open
    const long handle = ::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0);
    return handle >= 0 ? static_cast<int>(handle) : -1;
#else
    return -1;
#endif
}

bool IsProcessRunning(unsigned long pid, const std::string& executablePath)
{
    if (pid == 0 || pid > static_cast<unsigned long>(INT_MAX) || executablePath.empty())
        return false;
    std::string running = ReadLink("/proc/" + std::to_string(pid) + "/exe");
    if (running.empty())
        return false; // no such process, a zombie, or one we may not inspect
    // An executable replaced on disk (an update) while it runs still counts.
    const std::string deleted = " (deleted)";
    if (running.size() > deleted.size() &&
        running.compare(running.size() - deleted.size(), deleted.size(), deleted) == 0)
        running.resize(running.size() - deleted.size());
    return running == Canonical(executablePath);
}

std::vector<unsigned long> ListRunningProcessIds()
{
    std::vector<unsigned long> ids;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return ids;
    while (const dirent* entry = ::readdir(proc))
    {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(entry->d_name, &end, 10);
        if (pid > 0 && *end == '\0')
            ids.push_back(pid);
    }
    ::closedir(proc);
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace Kavrel::Platform
