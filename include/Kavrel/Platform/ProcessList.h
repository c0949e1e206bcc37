#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <functional>
#include <string>
#include <vector>

namespace Kavrel::Platform
{

/// Full executable paths of the processes this user may inspect, in process
/// id order. Processes that cannot be inspected are left out.
KAVRELPLATFORM_EXPORT std::vector<std::string> ListRunningExecutables();

/// Where ListRunningExecutables gets its answer: the system's process table
/// unless a replacement was set (tests give a list of their own). An empty
/// function restores the system's. Returns the previous replacement.
using ExecutableLister = std::function<std::vector<std::string>()>;
KAVRELPLATFORM_EXPORT ExecutableLister SetExecutableLister(ExecutableLister lister);

} // namespace Kavrel::Platform
