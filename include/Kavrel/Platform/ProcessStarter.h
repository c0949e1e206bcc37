#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>
#include <vector>

namespace Kavrel::Platform
{

/// What a detached start gave back.
struct StartedProcess
{
    bool started = false;
    unsigned long pid = 0;
    /// A handle that becomes ready (see WaitForAny) when the process ends (a
    /// pidfd on Linux, the process handle on Windows), owned by the caller;
    /// -1 when none could be had. Close it with CloseProcessHandle.
    int handle = -1;
};

/// Starts programs detached from this process (on Linux in a session of their
/// own, so they outlive it; on Windows through ShellExecuteExW) and opens
/// documents with the desktop's handler. Tests install a recording
/// replacement with SetProcessStarter.
class KAVRELPLATFORM_EXPORT ProcessStarter
{
public:
    virtual ~ProcessStarter();

    /// arguments[0] is the program: a path, or a name looked up in the
    /// absolute folders of PATH (never the current folder; ".exe" is added on
    /// Windows when it has no extension). Only programs start: on Windows a
    /// file that is no program image is refused, as the shell would open it.
    virtual StartedProcess StartDetached(const std::vector<std::string>& arguments);
    /// The same, with the program started in workingFolder (this process's
    /// current folder when empty); a folder that cannot be entered fails
    /// the start.
    virtual StartedProcess StartDetachedIn(const std::vector<std::string>& arguments,
                                           const std::string& workingFolder);

    /// Hands an existing regular file, given by its absolute path, to the
    /// desktop's handler: "xdg-open" on Linux, where the file itself is never
    /// executed, even when it is executable; on Windows the shell's handler
    /// of its type (ShellExecuteExW), which for a script is the script host.
    /// A relative path, which the shell would resolve against the current
    /// folder, is refused.
    virtual StartedProcess OpenDocument(const std::string& path);
};

/// The starter in use; the system one unless a replacement was set.
KAVRELPLATFORM_EXPORT ProcessStarter& GetProcessStarter();

/// Installs a replacement (not owned) and returns the previous one; null
/// restores the system starter.
KAVRELPLATFORM_EXPORT ProcessStarter* SetProcessStarter(ProcessStarter* starter);

KAVRELPLATFORM_EXPORT void CloseProcessHandle(int handle);

} // namespace Kavrel::Platform
