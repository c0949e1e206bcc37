#include <Kavrel/Platform/FolderWatch.h>

#include "Win32.h"

#include <map>

namespace Kavrel::Platform
{

namespace
{
constexpr DWORD EVENTS = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES;
} // namespace

struct FolderWatch::Private
{
    std::map<std::string, HANDLE> folders;
};

FolderWatch::FolderWatch() : d(std::make_unique<Private>()) {}

FolderWatch::~FolderWatch()
{
    for (const auto& [folder, handle] : d->folders)
        ::FindCloseChangeNotification(handle);
}

bool FolderWatch::Watch(const std::string& folder)
{
    if (folder.empty())
        return false;
    if (d->folders.count(folder) != 0)
        return true;
    const HANDLE handle = ::FindFirstChangeNotificationW(Win32::Wide(folder).c_str(), FALSE, EVENTS);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    d->folders.emplace(folder, handle);
    return true;
}

FolderWatch::Changes FolderWatch::TakeChanges()
{
    Changes changes;
    for (auto entry = d->folders.begin(); entry != d->folders.end();)
    {
        if (::WaitForSingleObject(entry->second, 0) == WAIT_TIMEOUT)
        {
            ++entry;
            continue;
        }
        // Signalled (or failed, as for a folder that went away): changed.
        changes.folders.push_back(entry->first);
        ::FindCloseChangeNotification(entry->second);
        entry = d->folders.erase(entry);
    }
    return changes;
}

} // namespace Kavrel::Platform
