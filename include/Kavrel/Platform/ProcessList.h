#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>
#include <vector>

namespace Kavrel::Platform
{

// Full executable paths of the processes this user may inspect, in process
// id order. Processes that cannot be inspected are left out.
KAVRELPLATFORM_EXPORT std::vector<std::string> ListRunningExecutables();

} // namespace Kavrel::Platform
