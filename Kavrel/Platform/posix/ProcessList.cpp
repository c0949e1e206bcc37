#include "../Backend.h"

#include <Kavrel/Platform/Process.h>

#include <climits>
#include <unistd.h>

namespace Kavrel::Platform::Backend
{

std::vector<std::string> ScanProcessTable()
{
    std::vector<std::string> paths;
    for (const unsigned long pid : ListRunningProcessIds())
    {
        char buffer[PATH_MAX];
        const std::string link = "/proc/" + std::to_string(pid) + "/exe";
        const ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
            continue; // kernel threads, zombies, other users' processes
        std::string path(buffer, static_cast<size_t>(length));
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
        paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace Kavrel::Platform::Backend
