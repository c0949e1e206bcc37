#include <Kavrel/Platform/Process.h>

#include "Win32.h"

#include <psapi.h>

#include <algorithm>

namespace Kavrel::Platform
{

namespace
{
// Paths can be longer than MAX_PATH; the system says so by filling the buffer.
constexpr DWORD LONGEST_PATH = 32768;

std::wstring ProcessImage(HANDLE process)
{
    std::wstring buffer(MAX_PATH, L'\0');
    while (true)
    {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (::QueryFullProcessImageNameW(process, 0, buffer.data(), &length))
            return buffer.substr(0, length);
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= LONGEST_PATH)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FullPath(const std::wstring& path)
{
    const DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    return written > 0 && written < length ? full.substr(0, written) : path;
}

bool Identify(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info)
{
    const HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool known = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    return known;
}

// The same file: the same path ignoring case, else the same volume and file
// index, which sees through links, short names and other spellings.
bool SameFile(const std::wstring& first, const std::wstring& second)
{
    const std::wstring a = FullPath(first), b = FullPath(second);
    if (::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                               TRUE) == CSTR_EQUAL)
        return true;
    BY_HANDLE_FILE_INFORMATION one, other;
    return Identify(a, one) && Identify(b, other) && one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}
} // namespace

std::string GetExecutablePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    while (true)
    {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return Win32::Narrow(buffer.data(), length);
        if (buffer.size() >= LONGEST_PATH)
            return {}; // cut short: no path at all is better than a wrong one
        buffer.resize(buffer.size() * 2);
    }
}

unsigned long GetCurrentProcessId() { return ::GetCurrentProcessId(); }

// Waiting needs no more than SYNCHRONIZE; the handle is not inherited by
// the programs this one starts.
int OpenProcessHandle(unsigned long pid)
{
    if (pid == 0)
        return -1;
    return Win32::FromHandle(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
}

bool IsProcessRunning(unsigned long pid, const std::string& executablePath)
{
    if (pid == 0 || executablePath.empty())
        return false;
    const HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false; // no such process, or one we may not inspect
    // A handle keeps an ended process's id from reuse; ended is not running.
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    const std::wstring image = running ? ProcessImage(process) : std::wstring();
    ::CloseHandle(process);
    return !image.empty() && SameFile(image, Win32::Wide(executablePath));
}

// The list grows until every id fits, where a fixed table would cut it.
std::vector<unsigned long> ListRunningProcessIds()
{
    std::vector<DWORD> ids(1024);
    DWORD bytes = 0;
    while (true)
    {
        const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!::EnumProcesses(ids.data(), capacity, &bytes))
            return {};
        if (bytes < capacity)
            break;
        ids.resize(ids.size() * 2);
    }
    ids.resize(bytes / sizeof(DWORD));
    std::vector<unsigned long> running(ids.begin(), ids.end());
    std::sort(running.begin(), running.end());
    return running;
}

} // namespace Kavrel::Platform
