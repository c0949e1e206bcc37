#include <Kavrel/Platform/Process.h>

namespace Kavrel::Platform
{

std::string GetApplicationFilePath(const std::string& fileName)
{
    if (fileName.empty() || fileName == "." || fileName == ".." ||
        fileName.find_first_of("/\\") != std::string::npos)
        return {};
    const std::string executable = GetExecutablePath();
#ifdef _WIN32
    const size_t folderEnd = executable.find_last_of("/\\");
#else
    const size_t folderEnd = executable.rfind('/');
#endif
    if (folderEnd == std::string::npos)
        return {};
    return executable.substr(0, folderEnd + 1) + fileName;
}

} // namespace Kavrel::Platform
