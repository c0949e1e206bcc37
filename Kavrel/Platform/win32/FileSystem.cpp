#include <Kavrel/Platform/FileSystem.h>

#include "Win32.h"

#include <atomic>

namespace Kavrel::Platform
{

namespace
{
// File times count 100-nanosecond steps from 1601; the clock counts from 1970.
constexpr long long FILE_TIME_OF_1970 = 116444736000000000LL;

std::chrono::system_clock::time_point FromFileTime(const FILETIME& time)
{
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    const std::chrono::duration<long long, std::ratio<1, 10'000'000>> sinceEpoch(
        static_cast<long long>(ticks.QuadPart) - FILE_TIME_OF_1970);
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch));
}
} // namespace

// Windows records the creation time of every file.
std::optional<std::chrono::system_clock::time_point> GetFileCreationTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(Win32::Wide(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return FromFileTime(data.ftCreationTime);
}

// The read-only attribute of a folder does not forbid creating files in it
// and access rights are the system's to weigh: creating a file is the only
// faithful answer. The probe goes when its handle closes.
bool IsWritableDirectory(const std::string& path)
{
    const std::wstring folder = Win32::Wide(path);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        const std::wstring probe = folder + L"\\.kavrel-probe-" + std::to_wstring(::GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(counter++);
        const HANDLE file = ::CreateFileW(
            probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE)
        {
            ::CloseHandle(file);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

} // namespace Kavrel::Platform
