#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/RuntimeFolder.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace Kavrel::Platform
{

namespace
{
bool IsPrivateFolder(const std::string& path)
{
    struct stat info
    {
    };
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 0077) == 0;
}
} // namespace

std::string GetRuntimeFolder()
{
    if (auto runtime = GetEnvironmentVariable("XDG_RUNTIME_DIR"); runtime && IsPrivateFolder(*runtime))
        return *runtime;
    std::string temp = GetEnvironmentVariable("TMPDIR").value_or("/tmp");
    if (temp.empty())
        temp = "/tmp";
    const std::string folder = temp + "/kavrel-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    // Someone else's folder, or one others can write into, is not ours to trust.
    return IsPrivateFolder(folder) ? folder : std::string();
}

} // namespace Kavrel::Platform
