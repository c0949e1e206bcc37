#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <memory>
#include <string>
#include <vector>

namespace Kavrel::Platform
{

/// Tells which of some folders changed (an entry made, removed, renamed or
/// changed in its attributes, or the folder itself removed or renamed) since
/// it was watched, without a call to the file system per folder: on Linux
/// one inotify descriptor for all of them, read without waiting. The kernel
/// records a change as it happens, so a change made before TakeChanges is
/// always in it. Windows reports changes only after the fact: there no
/// folder can be watched, and callers look at the folders themselves.
class KAVRELPLATFORM_EXPORT FolderWatch
{
public:
    struct Changes
    {
        bool all = false;                 ///< the system lost track: take every folder as changed
        std::vector<std::string> folders; ///< as given to Watch
    };

    FolderWatch();
    ~FolderWatch();

    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    /// Watches `folder` (UTF-8) from now on, if not already; false if it
    /// cannot be watched (no such folder, no watches left): ask the file
    /// system itself then.
    bool Watch(const std::string& folder);

    /// The watched folders that changed since the last call. A folder that
    /// changed is no longer watched: Watch it again before looking at it.
    Changes TakeChanges();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::Platform
