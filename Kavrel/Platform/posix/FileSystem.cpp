#include <Kavrel/Platform/FileSystem.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Kavrel::Platform
{

namespace
{
std::chrono::system_clock::time_point FromTimestamp(long long seconds, long long nanoseconds)
{
    using namespace std::chrono;
    return system_clock::time_point(duration_cast<system_clock::duration>(seconds * 1s + nanoseconds * 1ns));
}
} // namespace

std::optional<std::chrono::system_clock::time_point> GetFileCreationTime(const std::string& path)
{
    struct statx info
    {
    };
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_MTIME, &info) == 0)
    {
        if (info.stx_mask & STATX_BTIME)
            return FromTimestamp(info.stx_btime.tv_sec, info.stx_btime.tv_nsec);
        return FromTimestamp(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
    }
    struct stat plain
    {
    };
    if (::lstat(path.c_str(), &plain) != 0)
        return std::nullopt;
    return FromTimestamp(plain.st_mtim.tv_sec, plain.st_mtim.tv_nsec);
}

bool IsWritableDirectory(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(path.c_str(), W_OK | X_OK) == 0;
}

} // namespace Kavrel::Platform
