#include "../Backend.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <unistd.h>

namespace Kavrel::Platform::Backend
{

std::vector<std::string> ScanProcessTable()
{
    std::vector<std::pair<long, std::string>> found;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return {};
    while (const dirent* entry = ::readdir(proc))
    {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        char buffer[PATH_MAX];
        const std::string link = std::string("/proc/") + entry->d_name + "/exe";
        const ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
            continue; // kernel threads, zombies, other users' processes
        std::string path(buffer, static_cast<size_t>(length));
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
        found.emplace_back(pid, std::move(path));
    }
    ::closedir(proc);
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (auto& [pid, path] : found)
        paths.push_back(std::move(path));
    return paths;
}

} // namespace Kavrel::Platform::Backend
