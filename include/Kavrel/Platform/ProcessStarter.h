#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>
#include <vector>

namespace Kavrel::Platform
{

// What a detached start gave back.
struct StartedProcess
{
    bool started = false;
    unsigned long pid = 0;
    // A handle that becomes readable when the process ends (a pidfd here),
    // owned by the caller; -1 when none could be had. Close it with
    // CloseProcessHandle.
    int handle = -1;
};

// Starts programs detached from this process (in a session of their own, so
// they outlive it) and opens documents with the desktop's handler. Tests
// install a recording replacement with SetProcessStarter.
class KAVRELPLATFORM_EXPORT ProcessStarter
{
public:
    virtual ~ProcessStarter();

    // arguments[0] is the program: a path, or a name looked up in the
    // absolute folders of PATH (never the current folder).
    virtual StartedProcess StartDetached(const std::vector<std::string>& arguments);
    // The same, with the program started in workingFolder (this process's
    // current folder when empty); a folder that cannot be entered fails
    // the start.
    virtual StartedProcess StartDetachedIn(const std::vector<std::string>& arguments,
                                           const std::string& workingFolder);

    // Hands an existing regular file, given by its absolute path, to the
    // desktop's handler ("xdg-open"). The file itself is never executed, even
    // when it is executable; a relative path is refused.
    virtual StartedProcess OpenDocument(const std::string& path);
};

// The starter in use; the system one unless a replacement was set.
KAVRELPLATFORM_EXPORT ProcessStarter& GetProcessStarter();

// Installs a replacement (not owned) and returns the previous one; null
// restores the system starter.
KAVRELPLATFORM_EXPORT ProcessStarter* SetProcessStarter(ProcessStarter* starter);

KAVRELPLATFORM_EXPORT void CloseProcessHandle(int handle);

} // namespace Kavrel::Platform
