#include "../Backend.h"

#include "Win32.h"

#include <psapi.h>

#include <algorithm>

namespace Kavrel::Platform::Backend
{

// EnumProcesses, then each process's main module (GetModuleFileNameExW);
// the list grows until every id fits, where a fixed table would cut it.
std::vector<std::string> ScanProcessTable()
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
    std::sort(ids.begin(), ids.end());

    std::vector<std::string> paths;
    for (const DWORD id : ids)
    {
        const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
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
