#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <chrono>
#include <optional>
#include <string>

namespace Kavrel::Platform
{

/// When the file was created: its birth time where the file system records
/// one, else its last modification time. Nothing when the file cannot be read.
KAVRELPLATFORM_EXPORT std::optional<std::chrono::system_clock::time_point>
GetFileCreationTime(const std::string& path);

/// True when the path is a directory this process may create files in.
KAVRELPLATFORM_EXPORT bool IsWritableDirectory(const std::string& path);

} // namespace Kavrel::Platform
