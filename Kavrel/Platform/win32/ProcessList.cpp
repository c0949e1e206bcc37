#include "../Backend.h"

#include "Win32.h"

#include <Kavrel/Platform/Process.h>

#include <psapi.h>

#include <algorithm>

namespace Kavrel::Platform::Backend
{

// Each running process's main module (GetModuleFileNameExW).
std::vector<std::string> ScanProcessTable()
{
    std::vector<std::string> paths;
    for (const unsigned long id : ListRunningProcessIds())
    {
        const HANDLE process =
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, static_cast<DWORD>(id));
        if (!process)
            continue; // the system's own, other users'
        std::wstring path(MAX_PATH, L'\0');
        DWORD length = 0;
        while ((length = ::GetModuleFileNameExW(process, nullptr, path.data(),
                                                static_cast<DWORD>(path.size()))) >= path.size() - 1 &&
               path.size() < 32768)
            path.resize(path.size() * 2);
        ::CloseHandle(process);
        if (length > 0 && length < path.size() - 1)
            paths.push_back(Win32::Narrow(path.data(), length));
    }
    return paths;
}

} // namespace Kavrel::Platform::Backend
