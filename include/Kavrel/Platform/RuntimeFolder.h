#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>

namespace Kavrel::Platform
{

/// A folder private to the user for lock files and pipes: "$XDG_RUNTIME_DIR"
/// when it is usable, else a 0700 folder "kavrel-<uid>" in the temporary
/// folder, created on first use. On Windows, whose pipes and mutexes need no
/// folder, "kavrel" in the user's temporary folder, open to the user alone.
/// Empty when no such folder can be had.
KAVRELPLATFORM_EXPORT std::string GetRuntimeFolder();

} // namespace Kavrel::Platform
