#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>
#include <vector>

namespace Kavrel::Platform
{

/// Full path of the running executable; empty when the system does not tell.
KAVRELPLATFORM_EXPORT std::string GetExecutablePath();

/// The file of that name in the running executable's folder, where an
/// installer puts the program's companions. The current folder is never
/// looked at. Empty when the name is not a plain file name or the
/// executable's path is unknown.
KAVRELPLATFORM_EXPORT std::string GetApplicationFilePath(const std::string& fileName);

KAVRELPLATFORM_EXPORT unsigned long GetCurrentProcessId();

/// A handle of the running process with that id that becomes ready (see
/// WaitForAny) when the process ends (a pidfd, or on Windows a process handle
/// that may only wait and query); -1 when there is no such process or it
/// cannot be had. Close it with CloseProcessHandle.
KAVRELPLATFORM_EXPORT int OpenProcessHandle(unsigned long pid);

/// True exactly when a process with this id exists and runs the executable at
/// executablePath (compared after resolving links). A process id that was
/// reused by another program therefore gives false.
KAVRELPLATFORM_EXPORT bool IsProcessRunning(unsigned long pid, const std::string& executablePath);

/// The ids of the processes running now, ascending: one look at the process
/// table where checking many ids one by one would cost a look-up each. A
/// listed process may end at any moment; an id not listed was not running.
KAVRELPLATFORM_EXPORT std::vector<unsigned long> ListRunningProcessIds();

} // namespace Kavrel::Platform
